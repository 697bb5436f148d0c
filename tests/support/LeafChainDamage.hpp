#pragma once

#include <cstddef>
#include <optional>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// The B-tree files of a volume.
enum class VolumeBTreeFile { catalog, extentsOverflow };

// Makes the last leaf node of one B-tree file of a bare HFS or HFS+ volume
// name itself as the next leaf, as one bad link on a damaged disk does. False,
// the bytes unchanged, when the file or its last leaf is not there.
bool linkLastLeafToItself(Bytes& volume, VolumeBTreeFile file);

// Where the first record (its key first) of the first leaf node of one B-tree
// file of a bare HFS or HFS+ volume lies in the volume's bytes.
std::optional<size_t> firstLeafRecord(const Bytes& volume, VolumeBTreeFile file);

}  // namespace zorv::testing
