#include "platform/DescriptorOutputBuffer.hpp"

#include <unistd.h>

#include <cstring>
#include <system_error>

#include "platform/FileSystem.hpp"

namespace zorv {

DescriptorOutputBuffer::DescriptorOutputBuffer(int fd) : fd_(fd), lineBuffered_(::isatty(fd) == 1) {
    setp(buffer_, buffer_ + sizeof buffer_);
}

DescriptorOutputBuffer::~DescriptorOutputBuffer() {
    try {
        drain();
    } catch (const std::system_error&) {
        // Nobody is left to tell.
    }
}

DescriptorOutputBuffer::int_type DescriptorOutputBuffer::overflow(int_type c) {
    drain();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    if (lineBuffered_ && traits_type::to_char_type(c) == '\n') drain();
    return c;
}

std::streamsize DescriptorOutputBuffer::xsputn(const char* text, std::streamsize count) {
    const auto size = static_cast<size_t>(count);
    if (size > static_cast<size_t>(epptr() - pptr())) drain();
    if (size >= sizeof buffer_) {
        // A whole report: written as it is, not copied through the buffer.
        write(text, size);
        return count;
    }
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(size));
    if (lineBuffered_ && std::memchr(text, '\n', size) != nullptr) drain();
    return count;
}

int DescriptorOutputBuffer::sync() {
    drain();
    return 0;
}

void DescriptorOutputBuffer::drain() {
    const char* start = pbase();
    const auto size = static_cast<size_t>(pptr() - pbase());
    setp(buffer_, buffer_ + sizeof buffer_);
    write(start, size);
}

void DescriptorOutputBuffer::write(const char* text, size_t count) {
    if (error_ == 0 && count > 0) {
        error_ = fs::writeAll(fd_, ByteView(reinterpret_cast<const uint8_t*>(text), count));
    }
    if (error_ != 0) throw std::system_error(error_, std::generic_category());
}

}  // namespace zorv
