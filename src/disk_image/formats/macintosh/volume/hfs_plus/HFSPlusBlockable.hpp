#pragma once

#include "data_access/Blockable.hpp"

namespace zorv {

// HFS+ records: big-endian integers, UTF-16 big-endian names. Every HFS+
// record writes itself through this alias; dates go through
// HFSPlusReaderBlock::macintoshIntegerValue (GMT, unlike classic HFS).
template <typename Record>
using HFSPlusBlockable = Blockable<Record, Endianness::bigEndian, TextEncoding::utf16BigEndian>;

}  // namespace zorv
