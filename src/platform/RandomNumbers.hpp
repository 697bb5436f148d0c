#pragma once

#include <cstdint>
#include <functional>

namespace zorv {

// The system's random source, for the few values that are meant to differ
// from one run to the next (the serial number of a new Atari ST boot
// sector). Tests replace the source to pin those values.
class RandomNumbers {
public:
    using Source = std::function<uint32_t()>;

    // A value drawn uniformly from 0 to 2^32 - 2.
    static uint32_t uniform32();

    // Makes `source` answer uniform32() until the value is destroyed, then
    // puts the previous source back.
    class ScopedSource {
    public:
        explicit ScopedSource(Source source);
        ~ScopedSource();
        ScopedSource(const ScopedSource&) = delete;
        ScopedSource& operator=(const ScopedSource&) = delete;

    private:
        Source previous_;
    };

private:
    static Source& current();
};

}  // namespace zorv
