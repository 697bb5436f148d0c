#pragma once

#include <cstdint>

namespace zorv {

// The kind byte of a B-tree node descriptor (a signed byte on disk). Nothing
// in the leaf reader decides on it: the leaf chain is followed whatever kind
// its nodes claim to be.
enum class BTreeNodeKind : int {
    index = 0,
    header = 1,
    map = 2,
    leaf = -1,
};

// The kind of a stored (signed) kind byte; a value outside the four known
// ones is taken as a header node.
constexpr BTreeNodeKind bTreeNodeKind(int64_t storedValue) {
    switch (storedValue) {
        case 0: return BTreeNodeKind::index;
        case 2: return BTreeNodeKind::map;
        case -1: return BTreeNodeKind::leaf;
        default: return BTreeNodeKind::header;
    }
}

}  // namespace zorv
