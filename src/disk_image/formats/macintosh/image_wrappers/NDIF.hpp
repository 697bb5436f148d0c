#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "data_access/ImageBytes.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// A Disk Copy 6 image (NDIF). Part of its structure lives in the resource
// fork of the image file, which rarely survives a copy to a modern system,
// so NDIF images are only recognised, by the type and creator codes that the
// host keeps for the file, and refused; none is ever opened.
class NDIF final : public ImageWrapperRepresentable {
public:
    // Answers whether bytes hold a volume that can be read as HFS (bare, or
    // an HFS volume that wraps an HFS+ one) or as HFS+: what volume
    // descriptors of type hfs and hfsPlus built from them would find. Format
    // detection supplies it; a test that throws counts as "cannot tell".
    using ReadableVolumeTest = std::function<bool(const ImageBytes&)>;

    static constexpr std::string_view creatorCode = "ddsk";
    // The type codes of Disk Copy 6 images, in the order they are tried.
    static constexpr std::array<std::string_view, 3> typeCodes{"rohd", "hdcm", "dimg"};

    std::string descriptiveName() const override;
    std::string helpfulDescription() const override;

    // NDIF images are not unpacked: always throws
    // ImageWrapperRepresentableError::unextractableImage.
    [[noreturn]] static ImageBytes extractedImage(const ImageBytes& image);

    // True when the file at `file` is to be treated as an NDIF image: the
    // host gives it creator "ddsk" and one of the type codes above, and its
    // bytes hold no readable HFS or HFS+ volume (a Disk Copy 6 file that
    // holds a plain volume is read as that volume). Never throws: a URL with
    // an empty path, a file without codes, no test or a test that fails all
    // answer false. The codes are looked at first, so the volume test runs
    // only for files that carry them.
    static bool isPossiblyNDIF(const URL& file, const ImageBytes& data, const ReadableVolumeTest& holdsReadableVolume);
};

static_assert(ExtractableImageWrapper<NDIF>);

}  // namespace zorv
