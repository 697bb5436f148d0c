#pragma once

#include <cstddef>
#include <optional>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// The B-tree files of a volume.
enum class VolumeBTreeFile { catalog, extentsOverflow };

// Makes the last leaf node of one B-tree file of a bare HFS or HFS+ volume
// name itself as the next leaf, as one bad link on a damaged disk does. The
// file is found through the extents of the master directory block or volume
// header, and its last leaf through its header node. False, the bytes left
// as they were, when any of these is not there.
bool linkLastLeafToItself(Bytes& volume, VolumeBTreeFile file);

// Where the first record of the first leaf node of one B-tree file of a bare
// HFS or HFS+ volume starts in the volume's bytes: its key comes first.
// Nothing when the file, its header or the leaf is not there.
std::optional<size_t> firstLeafRecord(const Bytes& volume, VolumeBTreeFile file);

}  // namespace zorv::testing
