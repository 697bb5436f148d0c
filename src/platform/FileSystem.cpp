#include "platform/FileSystem.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/AtomicFileWriter.hpp"
#include "platform/FileMap.hpp"

namespace zorv::fs {
namespace {

[[noreturn]] void throwErrno() { throw std::system_error(errno, std::generic_category()); }

[[noreturn]] void throwErrno(int error, const std::string& name) {
    throw std::system_error(error, std::generic_category(), name);
}

std::string linuxAttributeName(const std::string& name) { return "user." + name; }

struct FileDescriptor {
    explicit FileDescriptor(int fd) : fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The refusal of a character device as an input: a terminal, /dev/zero or
// /dev/urandom has no size to map, and most never end.
class CharacterDeviceCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "zorv.input"; }
    std::string message(int) const override {
        return "Is a character device; only files, disks and pipes can be read";
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        return {value, std::generic_category()};
    }
};

[[noreturn]] void refuseCharacterDevice(const std::string& name) {
    static const CharacterDeviceCategory category;
    throw std::system_error(ENODEV, category, name);
}

// The bytes a regular file or a block device holds; nothing for other kinds
// of file. A disk's size is not in its status: the device tells it.
std::optional<size_t> mappableLength(int fd, const struct stat& info) {
    if (S_ISREG(info.st_mode)) return static_cast<size_t>(info.st_size);
    if (!S_ISBLK(info.st_mode)) return std::nullopt;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0 || ::lseek(fd, 0, SEEK_SET) != 0) return std::nullopt;
    return static_cast<size_t>(end);
}

ImageBytes readFile(const std::string& path, const std::string& name) {
    // Refused before it is opened: opening some devices does something (a
    // tape rewinds, a modem hangs up).
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && S_ISCHR(named.st_mode)) refuseCharacterDevice(name);
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) throwErrno(errno, name);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) throwErrno(errno, name);
    if (S_ISDIR(info.st_mode)) throwErrno(EISDIR, name);
    if (S_ISCHR(info.st_mode)) refuseCharacterDevice(name);

    // A disk of tens of gigabytes is mapped as a file is: it costs what the
    // analysis touches.
    if (const auto length = mappableLength(file.fd, info); length && *length > 0) {
        if (auto mapped = FileMap::map(file.fd, *length)) {
            file.fd = -1;  // the map's now
            return std::move(*mapped);
        }
    }

    // Pipes and anything that cannot be mapped: read it whole.
    Bytes bytes;
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(file.fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno, name);
        }
        if (count == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    return ImageBytes(std::move(bytes));
}

}  // namespace

ImageBytes readWholeFile(const std::string& path) { return readFile(path, path); }

ImageBytes readWholeFile(const URL& file) { return readFile(file.path(), file.relativePath()); }

bool isSameFile(const std::string& first, const std::string& second) {
    struct stat firstInfo {};
    struct stat secondInfo {};
    return ::stat(first.c_str(), &firstInfo) == 0 && ::stat(second.c_str(), &secondInfo) == 0 &&
           firstInfo.st_dev == secondInfo.st_dev && firstInfo.st_ino == secondInfo.st_ino;
}

int writeAll(int fd, ByteView bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        written += static_cast<size_t>(count);
    }
    return 0;
}

int64_t availableCapacity(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) throwErrno();
    const unsigned __int128 bytes = static_cast<unsigned __int128>(info.f_bavail) * info.f_frsize;
    return bytes > static_cast<unsigned __int128>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(bytes);
}

void setExtendedAttribute(const URL& file, ByteView data, const std::string& name) {
    if (::setxattr(file.path().c_str(), linuxAttributeName(name).c_str(), data.data(), data.size(), 0) < 0) {
        throwErrno();
    }
}

std::optional<Bytes> extendedAttribute(const URL& file, const std::string& name) {
    const std::string attribute = linuxAttributeName(name);
    const ssize_t size = ::getxattr(file.path().c_str(), attribute.c_str(), nullptr, 0);
    if (size < 0) {
        if (errno == ENODATA) return std::nullopt;
        throwErrno();
    }
    Bytes bytes(static_cast<size_t>(size));
    const ssize_t read = ::getxattr(file.path().c_str(), attribute.c_str(), bytes.data(), bytes.size());
    if (read < 0) throwErrno();
    bytes.resize(static_cast<size_t>(read));
    return bytes;
}

void createDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) throw std::system_error(error);
}

bool createRealDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno != EEXIST) throwErrno(errno, path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) throwErrno(errno, path);
    return S_ISDIR(info.st_mode);
}

void createFile(const std::string& path, ByteView contents, const std::optional<HFSTypeAndCreator>& codes,
                const std::optional<Date>& modificationDate) {
    AtomicFileWriter(path, {}, AtomicFileWriter::TargetRule::replaceEntry)
        .write(static_cast<int64_t>(contents.size()), {{0, contents}}, true);
    const URL file = URL::fileURLWithPath(path);
    if (codes) {
        try {
            setHFSTypeAndCreator(file, *codes);
        } catch (const std::system_error& error) {
            if (error.code() != std::errc::operation_not_supported) throw;
        }
    }
    if (modificationDate) {
        const struct timespec times[2] = {{0, UTIME_OMIT},
                                          {static_cast<time_t>(modificationDate->secondsSince1970), 0}};
        if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throwErrno();
    }
}

}  // namespace zorv::fs
