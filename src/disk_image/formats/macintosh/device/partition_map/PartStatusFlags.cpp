#include "disk_image/formats/macintosh/device/partition_map/PartStatusFlags.hpp"

#include <array>
#include <utility>

namespace zorv {

std::string PartStatusFlags::description() const {
    static constexpr std::array<std::pair<int64_t, const char*>, 12> texts{{
        {isValid, "is valid (A/UX)"},
        {isAllocated, "is allocated (A/UX)"},
        {isInUse, "is in use (A/UX)"},
        {hasBootInformation, "contains boot information (A/UX)"},
        {isReadable, "is readable (A/UX)"},
        {isWriteable, "is writeable"},
        {hasPositionIndependentBootCode, "has position independent boot code (A/UX)"},
        {hasChainCompatibleDriver, "contains a chain-compatible driver"},
        {hasRealDriver, "contains a real driver"},
        {hasChainDriver, "contains a chain driver"},
        {mountsAtStartup, "mounts automatically at startup"},
        {isStartupPartition, "is the startup partition"},
    }};
    std::string text = std::to_string(rawValue) + " The partition ";
    for (const auto& [flag, name] : texts) {
        if (contains(flag)) {
            text += ", ";
            text += name;
        }
    }
    return text;
}

}  // namespace zorv
