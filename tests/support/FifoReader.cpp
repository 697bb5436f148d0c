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
    reader_ = std::thread([this] { drain(); });
}

FifoReader::~FifoReader() {
    finish();
    ::close(fd_);
}

void FifoReader::drain() {
    uint8_t buffer[1 << 16];
    for (;;) {
        // Read first, so that the pipe is empty once a stop is seen.
        const bool stopping = stop_;
        pollfd watched{fd_, POLLIN, 0};
        ::poll(&watched, 1, 10);
        ssize_t count = 0;
        while ((count = ::read(fd_, buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR)) {
            if (count > 0) received_.insert(received_.end(), buffer, buffer + count);
        }
        if (stopping) return;
    }
}

Bytes FifoReader::finish() {
    if (reader_.joinable()) {
        stop_ = true;
        reader_.join();
    }
    return received_;
}

}  // namespace zorv::testing
