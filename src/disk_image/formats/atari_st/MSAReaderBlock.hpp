#pragma once

#include "data_access/BigEndianReader.hpp"
#include "data_access/Bytes.hpp"

namespace zorv {

// The cursor of MSA files: big-endian integers, code page 437 text, and the
// run-length code of their tracks.
class MSAReaderBlock : public BigEndianReader {
public:
    explicit MSAReaderBlock(ImageBytes data, int64_t offset = 0) : BigEndianReader(std::move(data), offset, TextEncoding::codepage437) {}

    // Expands one track record of `compressedLength` bytes from the offset
    // and leaves the cursor behind it. The byte 0xE5 starts a run (the byte
    // to repeat and a 16-bit count follow); any other byte stands for
    // itself. One token is read before the end is tested, so a record of
    // length 0 still takes one, and a run that straddles the end is read
    // whole. Throws MSAError::oversizedTrack as soon as the track would
    // expand beyond `trackSize` bytes, ReadPastEndError at the end of the
    // file.
    Bytes getCompressedTrack(int64_t compressedLength, int64_t trackSize);
};

}  // namespace zorv
