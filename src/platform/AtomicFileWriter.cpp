#include "platform/AtomicFileWriter.hpp"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <system_error>

#include "data_access/CheckedMath.hpp"
#include "platform/BackgroundAppender.hpp"
#include "platform/BackgroundWriteBack.hpp"
#include "platform/FileSystem.hpp"
#include "platform/FileMap.hpp"
#include "platform/InterruptCleanup.hpp"

namespace zorv {
namespace {

[[noreturn]] void throwErrno(int error = errno) { throw std::system_error(error, std::generic_category()); }

// Follows symbolic links at the target so that the link's destination is
// replaced rather than the link itself. A dangling link names the file to
// create.
std::string resolveTarget(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (length < 0) throwErrno();
        std::string destination(buffer, static_cast<size_t>(length));
        if (destination.empty() || destination.front() != '/') {
            const auto slash = current.rfind('/');
            destination = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + destination;
        }
        current = destination;
    }
    throwErrno(ELOOP);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Returns 0, or the errno of the failed write.
int writeFully(int fd, int64_t offset, ByteView bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                       static_cast<off_t>(offset + static_cast<int64_t>(written)));
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        written += static_cast<size_t>(count);
    }
    return 0;
}

// A target that exists and is not a regular file, links followed.
bool isExistingSpecialFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool isBlockDevice(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

// The failure to claim a disk that is in use: the system's own words, then
// what the user can do about it.
class DiskInUseCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "disk in use"; }
    std::string message(int error) const override {
        return std::generic_category().message(error) + "; it is in use (mounted?), unmount it first";
    }
    std::error_condition default_error_condition(int error) const noexcept override {
        return std::generic_category().default_error_condition(error);
    }
};

const std::error_category& diskInUseCategory() {
    static const DiskInUseCategory category;
    return category;
}

// Opens an existing target to write into it. A disk is opened exclusively:
// Linux then refuses it (EBUSY) while a file system on it, or on one of its
// partitions, is mounted, or while another program has claimed it, and no
// one can claim it while it is open. Throws naming `name`.
int openToWriteInto(const std::string& path, const std::string& name) {
    const bool disk = isBlockDevice(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (disk ? O_EXCL : 0));
    if (fd >= 0) return fd;
    const int error = errno;
    if (disk && error == EBUSY) throw std::system_error(error, diskInUseCategory(), name);
    throw std::system_error(error, std::generic_category(), name);
}

// A new file of at least this many bytes is written back to the disk as it
// is written, not all at its sync.
constexpr int64_t backgroundWriteBackSize = 1 << 20;

// Bytes written in place go out in chunks of this size, from first to last.
constexpr int64_t inPlaceChunkSize = 1 << 20;

// The unit in which runs of zeros are left out of a new file: the file
// system's block, which is all a hole can be made of. Writing a partial page
// of a block costs the system more than writing it whole, and the block
// takes its room on disk either way.
int64_t zeroBlockSizeOf(int fd) {
    constexpr int64_t smallest = 512;
    constexpr int64_t largest = 64 * 1024;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return smallest;
    const auto size = static_cast<int64_t>(info.st_blksize);
    if (size < smallest || size > largest || (size & (size - 1)) != 0) return smallest;
    return size;
}

// A first byte of zero, and every byte equal to the one before it.
bool isZeroBlock(const uint8_t* bytes, int64_t size) {
    return bytes[0] == 0 && std::memcmp(bytes, bytes + 1, static_cast<size_t>(size - 1)) == 0;
}

// The byte ranges [start, end) of the new file that pieces have been written
// to, disjoint and merged, keyed by start.
class WrittenRanges {
public:
    // Those that reach into [start, end), in order.
    std::vector<std::pair<int64_t, int64_t>> overlapping(int64_t start, int64_t end) const {
        std::vector<std::pair<int64_t, int64_t>> found;
        auto range = ranges_.upper_bound(start);
        if (range != ranges_.begin()) --range;
        for (; range != ranges_.end() && range->first < end; ++range) {
            if (range->second > start) found.emplace_back(*range);
        }
        return found;
    }

    void add(int64_t start, int64_t end) {
        if (start >= end) return;
        auto range = ranges_.upper_bound(start);
        if (range != ranges_.begin() && std::prev(range)->second >= start) --range;
        while (range != ranges_.end() && range->first <= end) {
            start = std::min(start, range->first);
            end = std::max(end, range->second);
            range = ranges_.erase(range);
        }
        ranges_.emplace(start, end);
    }

private:
    std::map<int64_t, int64_t> ranges_;
};

// Writes a piece into a new file that extending it has filled with zeros,
// leaving out the whole zero blocks (at multiples of `blockSize` in the
// file) that no earlier piece wrote to: they read as zeros already, and stay
// holes of the file. Blocks over holes of a mapped sparse input are known to
// be zeros without being read. Returns 0, or the errno of the failed write.
int writeLeavingZeroBlocks(int fd, int64_t offset, ByteView bytes, const WrittenRanges& written, int64_t blockSize) {
    const int64_t end = offset + static_cast<int64_t>(bytes.size());
    const auto earlier = written.overlapping(offset, end);
    const std::vector<FileMap::Region> data = FileMap::dataRegions(bytes);
    size_t nextData = 0;  // the first data region that does not end before `block`
    const auto mayHoldData = [&](int64_t block) {
        const auto from = static_cast<size_t>(block - offset);
        while (nextData < data.size() && data[nextData].offset + data[nextData].length <= from) ++nextData;
        return nextData < data.size() && data[nextData].offset < from + static_cast<size_t>(blockSize);
    };
    const auto writeSpan = [&](int64_t from, int64_t to) {
        return writeFully(fd, from, bytes.subspan(static_cast<size_t>(from - offset), static_cast<size_t>(to - from)));
    };
    int64_t pending = offset;  // the first byte neither written nor left out
    size_t next = 0;           // the first earlier range that does not end before `block`
    for (int64_t block = (offset + blockSize - 1) / blockSize * blockSize; block + blockSize <= end;
         block += blockSize) {
        while (next < earlier.size() && earlier[next].second <= block) ++next;
        const bool writtenBefore = next < earlier.size() && earlier[next].first < block + blockSize;
        if (writtenBefore || (mayHoldData(block) && !isZeroBlock(bytes.data() + (block - offset), blockSize))) {
            continue;
        }
        if (pending < block) {
            if (const int error = writeSpan(pending, block)) return error;
        }
        pending = block + blockSize;
    }
    if (pending < end) return writeSpan(pending, end);
    return 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath, std::string name, TargetRule rule)
    : name_(name.empty() ? targetPath : std::move(name)), replacesEntry_(rule == TargetRule::replaceEntry) {
    if (rule == TargetRule::replaceEntry) {
        // Nothing at the target is looked at: the rename replaces the entry.
        target_ = targetPath;
    } else if (isExistingSpecialFile(targetPath)) {
        // Opened by the name given: the kernel follows the links, /dev/stdout
        // included, whose destination may be no path at all (a pipe).
        writesInPlace_ = true;
        target_ = targetPath;
        folder_ = folderOf(target_);
        // A disk is claimed now, before the caller checks its room and long
        // before anything is written, and held until it is written.
        if (isBlockDevice(target_)) claimedDisk_ = openToWriteInto(target_, name_);
        return;
    } else {
        try {
            target_ = resolveTarget(targetPath);
        } catch (const std::system_error& error) {
            fail(error.code().value());
        }
    }
    folder_ = folderOf(target_);
}

void AtomicFileWriter::fail(int error) const { throw std::system_error(error, std::generic_category(), name_); }

int64_t AtomicFileWriter::availableCapacity() const {
    if (claimedDisk_ >= 0) {
        uint64_t size = 0;
        if (::ioctl(claimedDisk_, BLKGETSIZE64, &size) != 0) fail(errno);
        return size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
    }
    if (writesInPlace_) return INT64_MAX;
    try {
        return fs::availableCapacity(folder_);
    } catch (const std::system_error& error) {
        fail(error.code().value());
    }
}

void AtomicFileWriter::create(bool overwrite) {
    if (fd_ >= 0) return;
    // The regular file the new one is to replace. Writing into it would need
    // leave to write it, and so does replacing it; root has that leave
    // whatever the mode, as cp lets root replace a read-only file.
    struct stat replaced {};
    const bool replaces = overwrite && !replacesEntry_ && ::stat(target_.c_str(), &replaced) == 0 &&
                          S_ISREG(replaced.st_mode);
    if (replaces && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) fail(errno);
    std::string pattern = folder_ + "/.zorv-XXXXXX";
    // An interruption removes the file; none can come between its creation
    // and its registration.
    const InterruptCleanup::Section section;
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    temporary_ = pattern;
    InterruptCleanup::add(temporary_);
    // mkstemp creates the file with 0600; give it what the file it replaces
    // has, or what a plain create would.
    mode_t mode = 0;
    if (replaces) {
        // Owner first: a change of owner clears the set-ID bits. Where the
        // process may not give the file away, it may still give it the
        // group, when it belongs to it; and where it may not, the new file
        // is simply its own.
        if (::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), replaced.st_gid);
        }
        mode = replaced.st_mode & 0777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) fail(errno);
}

AtomicFileWriter::~AtomicFileWriter() {
    appender_.reset();
    writeBack_.reset();
    if (fd_ >= 0) ::close(fd_);
    if (claimedDisk_ >= 0 && claimedDisk_ != fd_) ::close(claimedDisk_);
    if (!temporary_.empty()) {
        const InterruptCleanup::Section section;
        ::unlink(temporary_.c_str());
        InterruptCleanup::remove(temporary_);
    }
}

void AtomicFileWriter::refuseExistingTarget() const {
    if (writesInPlace_ || exists(target_)) fail(EEXIST);
}

void AtomicFileWriter::write(int64_t size, const std::vector<Piece>& pieces, bool overwrite) {
    if (size < 0) fail(EINVAL);
    for (const Piece& piece : pieces) {
        if (piece.offset < 0) fail(EINVAL);
    }
    if (writesInPlace_) {
        if (!overwrite) fail(EEXIST);
        writeInPlace(size, pieces);
        return;
    }
    create(overwrite);
    // Extending the file reads as zeros: the same bytes on disk as writing
    // them, at no cost for a multi-gigabyte image. A piece that reaches past
    // `size` makes the file that much longer, whether its last blocks are
    // written or left out as zeros.
    int64_t fileSize = size;
    for (const Piece& piece : pieces) {
        fileSize = std::max(fileSize, checked::add(piece.offset, static_cast<int64_t>(piece.bytes.size())));
    }
    if (::ftruncate(fd_, static_cast<off_t>(fileSize)) != 0) fail(errno);
    int64_t pieceBytes = 0;
    for (const Piece& piece : pieces) pieceBytes += static_cast<int64_t>(piece.bytes.size());
    if (pieceBytes >= backgroundWriteBackSize) writeBack_ = std::make_unique<BackgroundWriteBack>(fd_);
    WrittenRanges written;
    const int64_t blockSize = zeroBlockSizeOf(fd_);
    for (const Piece& piece : pieces) {
        if (const int error = writeLeavingZeroBlocks(fd_, piece.offset, piece.bytes, written, blockSize)) fail(error);
        written.add(piece.offset, piece.offset + static_cast<int64_t>(piece.bytes.size()));
    }
    commit(overwrite);
}

void AtomicFileWriter::begin(bool overwrite) {
    overwrite_ = overwrite;
    if (!writesInPlace_) {
        create(overwrite);
        return;
    }
    if (!overwrite) fail(EEXIST);
    fd_ = openInPlace();
}

int AtomicFileWriter::openInPlace() {
    if (claimedDisk_ < 0) return openToWriteInto(target_, name_);
    if (::lseek(claimedDisk_, 0, SEEK_SET) != 0) fail(errno);
    return claimedDisk_;
}

void AtomicFileWriter::closeInPlace(int fd) {
    const bool disk = fd == claimedDisk_;
    if (disk) claimedDisk_ = -1;
    if (disk && ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(error);
    }
    if (::close(fd) != 0) fail(errno);
}

void AtomicFileWriter::append(ByteView bytes) {
    if (fd_ < 0) fail(EBADF);
    appended_ += static_cast<int64_t>(bytes.size());
    if (!writesInPlace_ && !appender_ && appended_ >= backgroundWriteBackSize) {
        // A large new file is written from a thread of its own from here on.
        try {
            appender_ = std::make_unique<BackgroundAppender>(fd_);
        } catch (const std::system_error&) {
            // no thread: written here
        }
    }
    if (appender_) {
        if (const int error = appender_->append(bytes)) fail(error);
        return;
    }
    if (const int error = fs::writeAll(fd_, bytes)) fail(error);
}

void AtomicFileWriter::finishAppending() {
    if (!appender_) return;
    const int error = appender_->finish();
    appender_.reset();
    if (error != 0) fail(error);
}

void AtomicFileWriter::finish() {
    if (fd_ < 0) fail(EBADF);
    finishAppending();
    if (!writesInPlace_) {
        commit(overwrite_);
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    closeInPlace(fd);
}

void AtomicFileWriter::commit(bool overwrite) {
    writeBack_.reset();
    if (::fsync(fd_) != 0) fail(errno);
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
    // Once renamed, the file is the target: an interruption no longer
    // removes it.
    const InterruptCleanup::Section section;
    if (overwrite) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    } else if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
        // Some file systems (FAT on SD cards among them) lack the no-replace
        // rename: check, then rename.
        if (errno != EINVAL && errno != ENOSYS) fail(errno);
        if (exists(target_)) fail(EEXIST);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    }
    InterruptCleanup::remove(temporary_);
    temporary_.clear();
}

// A pipe takes bytes only in order, so the file is put together chunk by
// chunk: zeros, then the part of each piece that falls in the chunk, in the
// pieces' order so that a later piece wins. A sweep over the pieces sorted by
// offset keeps the work in proportion to the file and the pieces.
void AtomicFileWriter::writeInPlace(int64_t size, const std::vector<Piece>& pieces) {
    const auto pieceEnd = [](const Piece& piece) {
        return checked::add(piece.offset, static_cast<int64_t>(piece.bytes.size()));
    };
    int64_t end = size;
    std::vector<size_t> byOffset(pieces.size());
    for (size_t index = 0; index < pieces.size(); ++index) {
        end = std::max(end, pieceEnd(pieces[index]));
        byOffset[index] = index;
    }
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [&](size_t a, size_t b) { return pieces[a].offset < pieces[b].offset; });

    const int fd = openInPlace();
    size_t nextPiece = 0;
    std::vector<size_t> active;  // indices of the pieces that reach into the chunk
    Bytes chunk;
    for (int64_t start = 0; start < end; start += inPlaceChunkSize) {
        const int64_t stop = std::min(end, start + inPlaceChunkSize);
        while (nextPiece < byOffset.size() && pieces[byOffset[nextPiece]].offset < stop) {
            active.push_back(byOffset[nextPiece++]);
        }
        std::erase_if(active, [&](size_t index) { return pieceEnd(pieces[index]) <= start; });
        std::sort(active.begin(), active.end());
        chunk.assign(static_cast<size_t>(stop - start), 0);
        for (const size_t index : active) {
            const Piece& piece = pieces[index];
            const int64_t from = std::max(start, piece.offset);
            const int64_t to = std::min(stop, pieceEnd(piece));
            if (from >= to) continue;
            std::copy(piece.bytes.begin() + (from - piece.offset), piece.bytes.begin() + (to - piece.offset),
                      chunk.begin() + (from - start));
        }
        if (const int error = fs::writeAll(fd, chunk)) {
            if (fd == claimedDisk_) claimedDisk_ = -1;
            ::close(fd);
            fail(error);
        }
    }
    closeInPlace(fd);
}

void AtomicFileWriter::writeIntoExistingFile(const std::string& path, int64_t offset, ByteView bytes,
                                             const std::string& name) {
    const auto fail = [&](int error) {
        throw std::system_error(error, std::generic_category(), name.empty() ? path : name);
    };
    if (offset < 0) fail(EINVAL);
    const int fd = openToWriteInto(path, name.empty() ? path : name);
    if (const int error = writeFully(fd, offset, bytes)) {
        ::close(fd);
        fail(error);
    }
    if (::close(fd) != 0) fail(errno);
}

}  // namespace zorv
