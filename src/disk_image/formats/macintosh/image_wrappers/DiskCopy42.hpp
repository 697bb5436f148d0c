#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"

namespace zorv {

// A Disk Copy 4.2 image: the 84-byte header of DiskCopy42Header, the
// volume's bytes as they lie on the floppy, then the sectors' tags. Format
// detection unwraps the volume and detects it again; a volume found that way
// keeps a DiskCopy42 as its wrapper.
class DiskCopy42 final : public ImageWrapperRepresentable {
public:
    // The two bytes at offsets 82 and 83 that mark a Disk Copy 4.2 image.
    static constexpr std::array<uint8_t, 2> DisKCopySignature{0x01, 0x00};

    std::string descriptiveName() const override;
    std::string helpfulDescription() const override;

    // True when bytes 82 and 83 hold DisKCopySignature; false for fewer bytes.
    static bool hasSignature(ByteView image);

    // The volume: the n bytes from offset 84, n being the big-endian 32-bit
    // data size at offset 64. They are a slice of `image`, never a copy, and
    // always shorter than `image`, so that nested images neither multiply
    // memory nor unwrap without end. Whatever follows them (tags, padding)
    // is ignored, and the signature is not tested: the caller tests it.
    // Throws ImageWrapperRepresentableError::invalidImageLength when the
    // image stops before 84 + n bytes, a header cut short included.
    static ImageBytes extractedImage(const ImageBytes& image);
};

static_assert(ExtractableImageWrapper<DiskCopy42>);

}  // namespace zorv
