#pragma once

#include <cstdint>
#include <string>

namespace zorv {

// The status bits of a partition map entry (pmPartStatus).
struct PartStatusFlags {
    static constexpr int64_t isValid = 0x1;
    static constexpr int64_t isAllocated = 0x2;
    static constexpr int64_t isInUse = 0x4;
    static constexpr int64_t hasBootInformation = 0x8;
    static constexpr int64_t isReadable = 0x10;
    static constexpr int64_t isWriteable = 0x20;
    static constexpr int64_t hasPositionIndependentBootCode = 0x40;
    static constexpr int64_t hasChainCompatibleDriver = 0x100;
    static constexpr int64_t hasRealDriver = 0x200;
    static constexpr int64_t hasChainDriver = 0x400;
    static constexpr int64_t mountsAtStartup = int64_t{1} << 30;
    static constexpr int64_t isStartupPartition = int64_t{1} << 31;

    // The values new entries get: valid, allocated, in use, readable and
    // writeable; that plus boot information and position-independent boot
    // code (drivers); and the first plus bit 0x80 (HFS and MFS volumes).
    static constexpr int64_t volume = 0x37;
    static constexpr int64_t driver = 0x7F;
    static constexpr int64_t hfsVolume = 0xB7;

    int64_t rawValue = 0;

    bool contains(int64_t flags) const { return (rawValue & flags) == flags; }

    // The raw value in decimal and " The partition ", then the text of each
    // set bit, all joined with ", ": for 0x37 "55 The partition , is valid
    // (A/UX), is allocated (A/UX), is in use (A/UX), is readable (A/UX), is
    // writeable". Bit 0x80 and the bits without a name add nothing.
    std::string description() const;

    friend bool operator==(const PartStatusFlags&, const PartStatusFlags&) = default;
};

}  // namespace zorv
