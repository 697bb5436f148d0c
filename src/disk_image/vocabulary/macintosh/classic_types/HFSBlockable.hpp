#pragma once

#include "data_access/Blockable.hpp"

namespace zorv {

// Classic Macintosh records (device, HFS and MFS structures, Point, Rect,
// OSType): big-endian integers, Mac OS Roman text.
template <typename Record>
using HFSBlockable = Blockable<Record, Endianness::bigEndian, TextEncoding::macOSRoman>;

}  // namespace zorv
