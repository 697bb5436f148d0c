#include "disk_image/parser/FormatProbes.hpp"

#include <exception>
#include <utility>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/image_wrappers/TwoIMG.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/atari_st/image_wrappers/MSA.hpp"
#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/image_wrappers/NDIF.hpp"
#include "disk_image/formats/macintosh/models/ModelCatalog.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"

namespace zorv {
namespace {

// The factory's answer, with anything it throws taken as "not this format".
template <typename Factory>
auto quietly(Factory factory) -> decltype(factory()) {
    try {
        return factory();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

template <typename Volume>
FormatProbes::ProbedVolume probed(ImageFormat format, Volume&& volume) {
    return {format, std::make_shared<std::decay_t<Volume>>(std::forward<Volume>(volume))};
}

}  // namespace

// --- Devices ---

std::shared_ptr<const DeviceRepresentable> FormatProbes::probeMacintoshDevice(const ImageBytes& image) {
    auto device = quietly([&] { return MacintoshDevice::fromImageData(image); });
    if (!device) return nullptr;
    return std::make_shared<const MacintoshDevice>(std::move(*device));
}

std::shared_ptr<const DeviceRepresentable> FormatProbes::probeAmigaHardDisk(const ImageBytes& image) {
    auto disk = quietly([&] { return AmigaHardDisk::fromImageData(image); });
    if (!disk) return nullptr;
    return std::make_shared<const AmigaHardDisk>(std::move(*disk));
}

// --- Containers ---

std::optional<FormatProbes::UnwrappedImage> FormatProbes::unwrap2IMG(const ImageBytes& image) {
    if (!TwoIMG::isPossibly2IMG(image)) return std::nullopt;
    return UnwrappedImage{TwoIMG::extractedImage(image), std::make_shared<const TwoIMG>()};
}

std::optional<FormatProbes::UnwrappedImage> FormatProbes::unwrapDiskCopy42(const ImageBytes& image) {
    if (!DiskCopy42::hasSignature(image)) return std::nullopt;
    return UnwrappedImage{DiskCopy42::extractedImage(image), std::make_shared<const DiskCopy42>()};
}

std::optional<FormatProbes::UnwrappedImage> FormatProbes::unwrapMSA(const ImageBytes& image) {
    if (!MSA::isPossiblyMSA(image)) return std::nullopt;
    // MSA refuses headers beyond the largest floppy it can describe, so the
    // expanded floppy stays bounded even though it outgrows the file.
    return UnwrappedImage{MSA::extractedImage(image), std::make_shared<const MSA>()};
}

bool FormatProbes::isNDIF(const URL& file, const ImageBytes& image) {
    return NDIF::isPossiblyNDIF(file, image, holdsReadableHFSVolume);
}

// --- Volumes ---

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeMFS(const ImageBytes& image) {
    auto volume = quietly([&] { return MFSVolume::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::mfs, std::move(*volume));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeHFS(const ImageBytes& image) {
    auto volume = quietly([&] { return HFSVolume::fromImageData(image); });
    if (!volume) return std::nullopt;
    if (!volume->wrapsHFSPlus()) return probed(ImageFormat::hfs, std::move(*volume));
    // The HFS wrapper itself is not kept. extractedHFSPlus() hands out its
    // volume read-only; detection keeps a copy whose wrapper it can set.
    const auto embedded = volume->extractedHFSPlus();
    const auto* hfsPlus = dynamic_cast<const HFSPlusVolume*>(embedded.get());
    if (hfsPlus == nullptr) throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::noExtractableHFSPlus);
    return probed(ImageFormat::hfsPlus, HFSPlusVolume(*hfsPlus));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeHFSPlus(const ImageBytes& image) {
    auto volume = quietly([&] { return HFSPlusVolume::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::hfsPlus, std::move(*volume));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeProDOS(const ImageBytes& image) {
    auto volume = quietly([&] { return ProDOSVolume::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::prodos, std::move(*volume));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeDOS33(const ImageBytes& image) {
    auto volume = quietly([&] { return DOS33Disk::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::dos33, std::move(*volume));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeADF(const ImageBytes& image) {
    auto volume = quietly([&] { return ADFDisk::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::adfVolume, std::move(*volume));
}

std::optional<FormatProbes::ProbedVolume> FormatProbes::probeTOS(const ImageBytes& image) {
    auto volume = quietly([&] { return TOSDisk::fromImageData(image); });
    if (!volume) return std::nullopt;
    return probed(ImageFormat::tosVolume, std::move(*volume));
}

std::optional<std::vector<Model>> FormatProbes::probeMacintoshROM(const ImageBytes& image) {
    return ModelCatalog::modelsMatchingCRCin(image);
}

bool FormatProbes::holdsReadableHFSVolume(const ImageBytes& image) {
    try {
        if (probeHFS(image)) return true;
    } catch (const std::exception&) {
        // An HFS wrapper whose HFS+ volume does not open: not readable.
    }
    return probeHFSPlus(image).has_value();
}

}  // namespace zorv
