#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zorv {

// The Finder flags of a file or folder. The positive values are masks of the
// 16-bit Finder flags word (kColor masks its three-bit colour field); the two
// negative values are the folder numbers the Finder records for the Trash and
// the desktop.
enum class FinderFlag : int {
    kIsOnDesk = 0x0001,
    kColor = 0x000E,
    kIsShared = 0x0040,
    kHasNoINITs = 0x0080,
    kHasBeenInited = 0x0100,
    kHasCustomIcon = 0x0400,
    kIsStationery = 0x0800,
    kNameLocked = 0x1000,
    kHasBundle = 0x2000,
    kIsInvisible = 0x4000,
    kIsAlias = 0x8000,
    fTrash = -3,
    fDesktop = -2,
};

// Every flag in declaration order.
const std::array<FinderFlag, 13>& allFinderFlags();
// The flag with that raw value, or nothing.
std::optional<FinderFlag> finderFlagFromRawValue(int rawValue);
// The flags whose bits are all set in a 16-bit Finder flags word, in
// declaration order. The two negative folder numbers never match a word.
std::vector<FinderFlag> finderFlagsOf(int64_t flagsWord);
// The flag's description, e.g. "Is invisible".
const char* stringValue(FinderFlag flag);

}  // namespace zorv
