#pragma once

#include <variant>

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogThreadRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFileRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFolderRecord.hpp"

namespace zorv {

// The payload of an HFS+ catalog leaf: a folder, a file or a thread record.
// Code that needs one kind asks for it with std::get_if (or the accessors of
// HFSPlusCatalogLeafData).
using HFSPlusLeafTypeRepresentable = std::variant<HFSPlusFolderRecord, HFSPlusFileRecord, HFSPlusCatalogThreadRecord>;

}  // namespace zorv
