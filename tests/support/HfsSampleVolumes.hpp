#pragma once

#include <string>

#include "data_access/ImageBytes.hpp"
#include "support/HfsTool.hpp"

namespace zorv::testing {

// Real HFS volumes that hfsutils makes at test time. Each writes its image at
// `imagePath` (scratch files go beside it), unmounts it and returns its bytes.
// They throw std::runtime_error when a tool fails; callers check
// HfsTool::isAvailable() first.

// A 1440K volume "Sample Tree":
//   App (APPL/MyAp), Empty Folder/, Letters/ (apple, Banana, cherry, Date),
//   Many/ (item 00 ... item 39), Nested/Level 2/Level 3/deep.txt,
//   ReadMe (TEXT/ttxt, 6 bytes), zeta, \x83clair/ (Éclair in Mac OS Roman).
// "Many" spreads the catalog over many leaf nodes under an index node.
ImageBytes makeSampleTreeVolume(HfsTool& tool, const std::string& imagePath);

// An 800K volume "Fragments" filled with 20000-byte files f0, f1, ... of which
// every other one is then deleted, and a 200000-byte file "Big" copied into
// the gaps: Big's data fork needs more than three extents, so the extents
// overflow file holds records for it.
ImageBytes makeFragmentedVolume(HfsTool& tool, const std::string& imagePath);

}  // namespace zorv::testing
