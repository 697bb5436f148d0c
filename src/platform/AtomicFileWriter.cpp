#include "platform/AtomicFileWriter.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/FileSystem.hpp"

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

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& targetPath, std::string name)
    : name_(name.empty() ? targetPath : std::move(name)) {
    try {
        target_ = resolveTarget(targetPath);
    } catch (const std::system_error& error) {
        fail(error.code().value());
    }
    folder_ = folderOf(target_);
}

void AtomicFileWriter::fail(int error) const { throw std::system_error(error, std::generic_category(), name_); }

int64_t AtomicFileWriter::availableCapacity() const {
    try {
        return fs::availableCapacity(folder_);
    } catch (const std::system_error& error) {
        fail(error.code().value());
    }
}

void AtomicFileWriter::create() {
    if (fd_ >= 0) return;
    std::string pattern = folder_ + "/.zorv-XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    temporary_ = pattern;
    // mkstemp creates the file with 0600; give it what a plain create would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd_, 0666 & ~mask) != 0) {
        const int error = errno;
        ::close(fd_);
        ::unlink(temporary_.c_str());
        fail(error);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFileWriter::refuseExistingTarget() const {
    if (exists(target_)) fail(EEXIST);
}

void AtomicFileWriter::setSize(int64_t size) {
    create();
    if (size < 0) fail(EINVAL);
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail(errno);
}

void AtomicFileWriter::writeAt(int64_t offset, ByteView bytes) {
    if (offset < 0) fail(EINVAL);
    create();
    if (const int error = writeFully(fd_, offset, bytes)) fail(error);
}

void AtomicFileWriter::commit(bool overwrite) {
    create();
    if (::fsync(fd_) != 0) fail(errno);
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
    if (overwrite) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    } else if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
        // Some file systems (FAT on SD cards among them) lack the no-replace
        // rename: check, then rename.
        if (errno != EINVAL && errno != ENOSYS) fail(errno);
        if (exists(target_)) fail(EEXIST);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    }
    temporary_.clear();
}

void AtomicFileWriter::writeIntoExistingFile(const std::string& path, int64_t offset, ByteView bytes,
                                             const std::string& name) {
    const auto fail = [&](int error) {
        throw std::system_error(error, std::generic_category(), name.empty() ? path : name);
    };
    if (offset < 0) fail(EINVAL);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) fail(errno);
    if (const int error = writeFully(fd, offset, bytes)) {
        ::close(fd);
        fail(error);
    }
    if (::close(fd) != 0) fail(errno);
}

}  // namespace zorv
