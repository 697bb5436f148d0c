#pragma once

#include "data_access/Blockable.hpp"

namespace zorv {

// Apple II records (DOS 3.3, ProDOS): little-endian integers, ASCII text.
template <typename Record>
using AppleIIBlockable = Blockable<Record, Endianness::littleEndian, TextEncoding::ascii>;

}  // namespace zorv
