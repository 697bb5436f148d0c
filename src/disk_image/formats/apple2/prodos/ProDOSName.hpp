#pragma once

#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"

namespace zorv {

// Every ProDOS directory entry and header stores its name in a 15-byte field
// after the byte that holds the name length in its low nibble.
inline constexpr int64_t proDOSNameFieldLength = 15;

// The name as ProDOS shows it: the first `nameLength` bytes of the field (the
// whole field for a length above 15) decoded as ASCII, with control
// characters trimmed from both ends; empty when they do not decode. A name
// shortened in place keeps its old tail in the field, and this leaves it
// out. Names are given as stored, in capitals: the GS/OS lower-case flags
// (in the version bytes) are not applied.
std::string proDOSName(ByteView field, int64_t nameLength);

// Whether every byte of the field is ASCII (below 0x80), the tail after the
// name included.
bool isASCIINameField(ByteView field);

}  // namespace zorv
