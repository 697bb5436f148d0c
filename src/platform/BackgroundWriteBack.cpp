#include "platform/BackgroundWriteBack.hpp"

#include <fcntl.h>

#include <chrono>
#include <system_error>

namespace zorv {

namespace {
// Often enough that the disk is kept busy, seldom enough to cost nothing.
constexpr std::chrono::milliseconds interval{10};
}  // namespace

BackgroundWriteBack::BackgroundWriteBack(int fd) : fd_(fd) {
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // no thread: the sync writes the file back
    }
}

BackgroundWriteBack::~BackgroundWriteBack() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void BackgroundWriteBack::run() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, interval, [this] { return stopping_; })) {
        lock.unlock();
        // The whole file: pages already under write-back are left alone, so
        // bytes written anywhere are covered.
        (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
        lock.lock();
    }
}

}  // namespace zorv
