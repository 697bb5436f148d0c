#include "platform/BackgroundAppender.hpp"

#include <fcntl.h>

#include <cstring>

#include "platform/FileSystem.hpp"

namespace zorv {

BackgroundAppender::BackgroundAppender(int fd) : fd_(fd) { thread_ = std::thread([this] { run(); }); }

BackgroundAppender::~BackgroundAppender() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

int BackgroundAppender::append(ByteView bytes) {
    Bytes piece;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return error_ != 0 || waitingBytes_ < maximumWaiting; });
        if (error_ != 0) return error_;
        if (!spare_.empty()) {
            piece = std::move(spare_.back());
            spare_.pop_back();
        }
        waitingBytes_ += bytes.size();  // room taken before the copy
    }
    // Copied while the thread writes what came before.
    piece.resize(bytes.size());
    if (!bytes.empty()) std::memcpy(piece.data(), bytes.data(), bytes.size());
    {
        const std::lock_guard lock(mutex_);
        if (error_ != 0) {
            waitingBytes_ -= piece.size();
            return error_;
        }
        waiting_.push_back(std::move(piece));
    }
    changed_.notify_all();
    return 0;
}

int BackgroundAppender::finish() {
    std::unique_lock lock(mutex_);
    // Nothing waits once the thread has written the last piece.
    changed_.wait(lock, [&] { return error_ != 0 || waitingBytes_ == 0; });
    return error_;
}

void BackgroundAppender::run() {
    int64_t written = 0;
    int64_t writeBackStarted = 0;
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
        if (stopping_) return;
        Bytes piece = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        const int error = fs::writeAll(fd_, piece);
        written += static_cast<int64_t>(piece.size());
        if (error == 0 && written - writeBackStarted >= writeBackUnit) {
            // Only a hint: a failure shows at the sync.
            (void)::sync_file_range(fd_, writeBackStarted, written - writeBackStarted, SYNC_FILE_RANGE_WRITE);
            writeBackStarted = written;
        }
        lock.lock();
        waitingBytes_ -= piece.size();
        if (error != 0 && error_ == 0) error_ = error;
        if (error_ != 0) {
            // Nothing more is written; the producer learns at its next call.
            for (const Bytes& dropped : waiting_) waitingBytes_ -= dropped.size();
            waiting_.clear();
        }
        constexpr size_t keptBuffers = 8;
        if (spare_.size() < keptBuffers) spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

}  // namespace zorv
