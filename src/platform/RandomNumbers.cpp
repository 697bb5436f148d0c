#include "platform/RandomNumbers.hpp"

#include <random>
#include <utility>

namespace zorv {

RandomNumbers::Source& RandomNumbers::current() {
    static Source source;
    return source;
}

uint32_t RandomNumbers::uniform32() {
    if (const Source& source = current()) return source();
    // One device per thread: opening it is what costs, not drawing from it.
    thread_local std::random_device device;
    std::uniform_int_distribution<uint32_t> belowMaximum(0, UINT32_MAX - 1);
    return belowMaximum(device);
}

RandomNumbers::ScopedSource::ScopedSource(Source source) : previous_(std::exchange(current(), std::move(source))) {}

RandomNumbers::ScopedSource::~ScopedSource() { current() = std::move(previous_); }

}  // namespace zorv
