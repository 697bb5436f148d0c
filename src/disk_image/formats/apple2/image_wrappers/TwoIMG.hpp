#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"

namespace zorv {

// A 2IMG container (.2mg, .2img): a little-endian header, then an Apple II
// disk's data. Format detection unwraps the data and detects it again, so
// the volume is found as it would be bare, its sector order included (the
// header's format field plays no part), and keeps a TwoIMG as its wrapper.
//
// The header: "2IMG", the creator (4 characters), the header length and
// version (16-bit), the image format (32-bit: DOS order, ProDOS order or
// nibbles), the flags, the number of 512-byte blocks, then the offset and
// length of the disk data, of the comment and of the creator's data (32-bit
// each). Only the data offset and length are used; the published header is
// 64 bytes, of which the first 48 are read.
class TwoIMG final : public ImageWrapperRepresentable {
public:
    static constexpr std::array<uint8_t, 4> TwoIMGSignature{'2', 'I', 'M', 'G'};
    // The bytes of the header that are read.
    static constexpr int64_t readHeaderSize = 48;
    // Where the data offset lies, the data length after it.
    static constexpr int64_t dataOffsetField = 24;

    std::string descriptiveName() const override { return "2MG"; }
    std::string helpfulDescription() const override;

    // True when the data begins with "2IMG" (in capitals).
    static bool isPossibly2IMG(ByteView data);

    // The disk data: the n bytes from offset o, o and n being the 32-bit
    // fields at 24 and 28, as a slice of `data`. Whatever lies before or
    // after them (the header, the comment) is ignored, and the signature is
    // not tested: the caller tests it. Throws
    // ImageWrapperRepresentableError::invalidImageLength for a header
    // shorter than 48 bytes and when the data ends before o + n.
    static ImageBytes extractedImage(const ImageBytes& data);
};

static_assert(ExtractableImageWrapper<TwoIMG>);

}  // namespace zorv
