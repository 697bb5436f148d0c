#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace zorv {

// Hands a file being written to the disk's write-back, every few
// milliseconds, from a thread of its own: the disk writes what is already
// produced while the rest is, and the sync that ends the file waits for
// little. The writing thread never waits for it. Only a hint: a failure
// shows at the sync, and when no thread can be started the file is written
// back at the sync as it would be anyway.
//
// The file descriptor must stay open until the object is destroyed, which
// stops the thread.
class BackgroundWriteBack {
public:
    explicit BackgroundWriteBack(int fd);
    ~BackgroundWriteBack();
    BackgroundWriteBack(const BackgroundWriteBack&) = delete;
    BackgroundWriteBack& operator=(const BackgroundWriteBack&) = delete;

private:
    void run();

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zorv
