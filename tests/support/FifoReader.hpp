#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// A named pipe that a thread drains while a writer runs, so that a test sees
// what went into the pipe. The reading end is open before any writer comes
// (held for writing too, so that the pipe never reads as ended): a writer
// that opens the pipe never waits, and one that replaces the pipe instead of
// writing into it leaves the reader empty rather than the test hanging.
class FifoReader {
public:
    // Makes the pipe at `path` (throws std::system_error when it cannot).
    explicit FifoReader(std::string path);
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    // Once the writer is done: the bytes that went through the pipe.
    Bytes finish();

private:
    void drain();

    std::string path_;
    int fd_ = -1;
    std::atomic<bool> stop_ = false;
    Bytes received_;
    std::thread reader_;
};

}  // namespace zorv::testing
