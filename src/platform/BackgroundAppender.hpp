#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv {

// Writes bytes at the end of a file from a thread of its own, in the order
// they are handed over, so that the thread producing a large file does not
// wait for the system to take each piece; what is written is handed to the
// disk's write-back a megabyte at a time. At most a megabyte waits to be
// written: a producer faster than the disk waits for room.
//
// The file descriptor must stay open until the object is destroyed, which
// stops the thread (bytes still waiting are dropped).
class BackgroundAppender {
public:
    // Throws std::system_error when no thread can be started.
    explicit BackgroundAppender(int fd);
    ~BackgroundAppender();
    BackgroundAppender(const BackgroundAppender&) = delete;
    BackgroundAppender& operator=(const BackgroundAppender&) = delete;

    // Copies the bytes to be written after those handed over before.
    // Returns 0, or the errno of a write that failed earlier (nothing more
    // is written after a failure).
    int append(ByteView bytes);
    // Waits until every byte handed over is written. Returns 0, or the
    // errno of the first write that failed.
    int finish();

private:
    void run();

    static constexpr size_t maximumWaiting = 1 << 20;
    static constexpr int64_t writeBackUnit = 1 << 20;

    int fd_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Bytes> waiting_;
    // Of the pieces waiting, being copied in or being written.
    size_t waitingBytes_ = 0;
    bool stopping_ = false;
    int error_ = 0;
    // Buffers written, kept for the next pieces: fresh memory costs a fault
    // per page.
    std::vector<Bytes> spare_;
    std::thread thread_;
};

}  // namespace zorv
