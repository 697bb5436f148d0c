#pragma once

#include "data_access/Blockable.hpp"

namespace zorv {

// Atari ST records (boot sector, FAT, MSA header): little-endian integers, ISO Latin 1 text.
template <typename Record>
using TOSBlockable = Blockable<Record, Endianness::littleEndian, TextEncoding::isoLatin1>;

}  // namespace zorv
