#include "disk_image/vocabulary/macintosh/classic_types/FinderFlag.hpp"

namespace zorv {

const std::array<FinderFlag, 13>& allFinderFlags() {
    static constexpr std::array<FinderFlag, 13> flags{
        FinderFlag::kIsOnDesk,     FinderFlag::kColor,          FinderFlag::kIsShared,
        FinderFlag::kHasNoINITs,   FinderFlag::kHasBeenInited,  FinderFlag::kHasCustomIcon,
        FinderFlag::kIsStationery, FinderFlag::kNameLocked,     FinderFlag::kHasBundle,
        FinderFlag::kIsInvisible,  FinderFlag::kIsAlias,        FinderFlag::fTrash,
        FinderFlag::fDesktop,
    };
    return flags;
}

std::optional<FinderFlag> finderFlagFromRawValue(int rawValue) {
    for (FinderFlag flag : allFinderFlags()) {
        if (static_cast<int>(flag) == rawValue) return flag;
    }
    return std::nullopt;
}

std::vector<FinderFlag> finderFlagsOf(int64_t flagsWord) {
    std::vector<FinderFlag> set;
    for (FinderFlag flag : allFinderFlags()) {
        // fTrash and fDesktop are negative: sign-extended, their bits reach
        // far above any 16-bit word, so they never match.
        const auto mask = static_cast<int64_t>(static_cast<int>(flag));
        if ((flagsWord & mask) == mask) set.push_back(flag);
    }
    return set;
}

const char* stringValue(FinderFlag flag) {
    switch (flag) {
        case FinderFlag::kIsOnDesk: return "Is on Desktop";
        case FinderFlag::kColor: return "Has color";
        case FinderFlag::kIsShared: return "Is shared";
        case FinderFlag::kHasNoINITs: return "Has no INIT";
        case FinderFlag::kHasBeenInited: return "Has been Inited";
        case FinderFlag::kHasCustomIcon: return "Has a custom icon";
        case FinderFlag::kIsStationery: return "Is stationery";
        case FinderFlag::kNameLocked: return "Name is locked";
        case FinderFlag::kHasBundle: return "Has a bundle";
        case FinderFlag::kIsInvisible: return "Is invisible";
        case FinderFlag::kIsAlias: return "Is alias";
        case FinderFlag::fTrash: return "Is in the Trash";
        case FinderFlag::fDesktop: return "Is on the Desktop";
    }
    return "";
}

}  // namespace zorv
