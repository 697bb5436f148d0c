#include "support/FifoReader.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zorv::testing {

FifoReader::FifoReader(std::string path) : path_(std::move(path)) {
    if (::mkfifo(path_.c_str(), 0666) != 0) throw std::system_error(errno, std::generic_category(), path_);
    // Linux opens a pipe for reading and writing at once without waiting.
    fd_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), path_);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        ::close(fd_);
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    reader_ = std::thread([this] { drain(); });
}

FifoReader::~FifoReader() {
    if (reader_.joinable()) finish();
    ::close(fd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void FifoReader::drain() {
    uint8_t buffer[1 << 16];
    bool stopping = false;
    for (;;) {
        pollfd watched[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0 && errno != EINTR) return;
        if (watched[1].revents != 0) stopping = true;
        // Whatever the pipe holds now, then stop once asked to and empty.
        for (;;) {
            const ssize_t count = ::read(fd_, buffer, sizeof buffer);
            if (count > 0) {
                received_.insert(received_.end(), buffer, buffer + count);
                continue;
            }
            if (count < 0 && errno == EINTR) continue;
            break;
        }
        if (stopping) return;
    }
}

Bytes FifoReader::finish() {
    if (reader_.joinable()) {
        const char stop = 1;
        while (::write(stopPipe_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        reader_.join();
    }
    return received_;
}

}  // namespace zorv::testing
