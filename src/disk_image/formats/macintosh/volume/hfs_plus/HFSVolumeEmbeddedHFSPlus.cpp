// The HFS+ volume that an HFS wrapper carries, opened for HFSVolume.

#include <memory>

#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"

namespace zorv {

std::shared_ptr<const VolumeRepresentable> openEmbeddedHFSPlusVolume(const ImageBytes& embeddedVolume) {
    auto volume = HFSPlusVolume::fromImageData(embeddedVolume);
    if (!volume) return nullptr;
    return std::make_shared<const HFSPlusVolume>(std::move(*volume));
}

}  // namespace zorv
