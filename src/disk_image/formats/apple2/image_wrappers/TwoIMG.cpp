#include "disk_image/formats/apple2/image_wrappers/TwoIMG.hpp"

#include <algorithm>

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

namespace zorv {

std::string TwoIMG::helpfulDescription() const {
    return "This volume image is in the 2IMG format, a popular image format for the Apple II.";
}

bool TwoIMG::isPossibly2IMG(ByteView data) {
    if (data.size() < TwoIMGSignature.size()) return false;
    return std::ranges::equal(data.subspan(0, TwoIMGSignature.size()), TwoIMGSignature);
}

ImageBytes TwoIMG::extractedImage(const ImageBytes& data) {
    const ImageWrapperRepresentableError tooShort(ImageWrapperRepresentableError::Case::invalidImageLength);
    if (static_cast<int64_t>(data.size()) < readHeaderSize) throw tooShort;
    // Only the data offset and length are used.
    AppleIIReaderBlock reader(data.slice(0, readHeaderSize), dataOffsetField);
    const int64_t dataOffset = reader.getLongInteger();
    const int64_t dataLength = reader.getLongInteger();
    // Both are 32-bit, so their sum cannot wrap in 64 bits.
    if (dataOffset + dataLength > static_cast<int64_t>(data.size())) throw tooShort;
    return data.slice(dataOffset, dataLength);
}

}  // namespace zorv
