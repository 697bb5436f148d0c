#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"

#include <algorithm>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42Header.hpp"

namespace zorv {

std::string DiskCopy42::descriptiveName() const { return "Disk Copy"; }

std::string DiskCopy42::helpfulDescription() const {
    return "This volume image is in the Disk Copy format.\n"
           "An interesting feature of this format is the checksum that it contains. Using this checksum, "
           "it's possible to know whether the disk image is intact, or if it has been corrupted. This was "
           "crucial when disk images were travelling over analog phone lines or other unreliable media.";
}

bool DiskCopy42::hasSignature(ByteView image) {
    constexpr auto offset = static_cast<size_t>(DiskCopy42Header::privateWordOffset);
    if (image.size() < offset + DisKCopySignature.size()) return false;
    return std::ranges::equal(image.subspan(offset, DisKCopySignature.size()), DisKCopySignature);
}

ImageBytes DiskCopy42::extractedImage(const ImageBytes& image) {
    const ImageWrapperRepresentableError tooShort(ImageWrapperRepresentableError::Case::invalidImageLength);
    const auto available = static_cast<int64_t>(image.size());
    if (available < DiskCopy42Header::dataSizeOffset + 4) throw tooShort;
    const int64_t dataSize = fromLongBigEndian(image.view().subspan(DiskCopy42Header::dataSizeOffset, 4));
    if (dataSize > available - DiskCopy42Header::headerSize) throw tooShort;
    return image.slice(DiskCopy42Header::headerSize, dataSize);
}

}  // namespace zorv
