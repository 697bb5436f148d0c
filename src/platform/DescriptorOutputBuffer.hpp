#pragma once

#include <streambuf>

namespace zorv {

// Buffered output to a file descriptor, for the process's standard output.
// Where std::cout only sets a state flag when a write fails (and loses the
// system's error on the way), a write that fails here throws
// std::system_error with the errno, whose description ("No space left on
// device") the command line prints. A stream catches what its buffer throws
// and passes it on only when its exceptions include std::ios::badbit: set
// them on a stream over this buffer. After a failure the buffer drops what it
// holds, writes nothing more and throws the same error at each later write or
// flush: a stream that swallowed it (one without those exceptions, sharing
// the buffer) does not hide it from another.
//
// Written when the buffer is full, on flush, and, on a terminal, at the end
// of each line, as stdio does. What is left at destruction is written with
// its failure ignored: flush before to see it.
class DescriptorOutputBuffer : public std::streambuf {
public:
    explicit DescriptorOutputBuffer(int fd);
    ~DescriptorOutputBuffer() override;
    DescriptorOutputBuffer(const DescriptorOutputBuffer&) = delete;
    DescriptorOutputBuffer& operator=(const DescriptorOutputBuffer&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    // Writes out and empties the buffer; throws on a failed write.
    void drain();
    void write(const char* text, size_t count);

    int fd_;
    bool lineBuffered_;
    int error_ = 0;  // the errno of the write that failed
    char buffer_[1 << 13];
};

}  // namespace zorv
