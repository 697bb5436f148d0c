#pragma once

#include "data_access/Blockable.hpp"

namespace zorv {

// Amiga records: big-endian integers, ISO Latin 1 names.
template <typename Record>
using AmigaBlockable = Blockable<Record, Endianness::bigEndian, TextEncoding::isoLatin1>;

}  // namespace zorv
