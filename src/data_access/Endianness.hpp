#pragma once

namespace zorv {

// The byte order of a record family's multi-byte integers.
enum class Endianness { bigEndian, littleEndian };

}  // namespace zorv
