#include "disk_image/formats/macintosh/image_wrappers/NDIF.hpp"

#include <algorithm>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"
#include "platform/HFSTypeAndCreator.hpp"

namespace zorv {
namespace {

// A code as the Finder shows it: four bytes, most significant first, in Mac
// OS Roman; the empty text when they do not decode.
std::string codeText(uint32_t code) { return OSType(toBigEndian(code)).string(); }

}  // namespace

std::string NDIF::descriptiveName() const { return "Disk Copy 6.x NDIF"; }

std::string NDIF::helpfulDescription() const {
    return "This volume image is in the Disk Copy 6.x format (NDIF), introduced with System 7.\n"
           "While popular, this format is fragile because it relies in part on the resource fork of the image "
           "file, which tends to get lost during transfer on modern systems. Most of the time, it's possible to "
           "use an image with a missing resource fork but other image formats should be preferred.\n\n"
           "Currently, Zorvix doesn't know how to read images in NDIF format.";
}

ImageBytes NDIF::extractedImage(const ImageBytes& /*image*/) {
    throw ImageWrapperRepresentableError(ImageWrapperRepresentableError::Case::unextractableImage);
}

bool NDIF::isPossiblyNDIF(const URL& file, const ImageBytes& data, const ReadableVolumeTest& holdsReadableVolume) {
    // An empty path stands for the current folder, and a folder is no image file.
    if (file.path().empty() || file.hasDirectoryPath()) return false;
    const auto codes = fs::hfsTypeAndCreator(file);
    if (!codes || codeText(codes->creator) != creatorCode) return false;
    if (std::ranges::find(typeCodes, codeText(codes->type)) == typeCodes.end()) return false;
    if (!holdsReadableVolume) return false;
    try {
        return !holdsReadableVolume(data);
    } catch (...) {
        return false;
    }
}

}  // namespace zorv
