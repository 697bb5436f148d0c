#include "cli/MacDevicePartitioned.hpp"

#include <ostream>

#include "cli/Arguments.hpp"
#include "cli/ImageSizeChecks.hpp"
#include "cli/PartitionedDeviceError.hpp"
#include "cli/PremadeListing.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/parser/VolumeFileLoader.hpp"
#include "platform/FileSystem.hpp"
#include "remote_image/Manifest.hpp"
#include "remote_image/PremadeServer.hpp"

namespace zorv::cli {
namespace {

using image_size::blocksPerMegabyte;
using image_size::deviceHeadBlocks;
using image_size::maximumDeviceBlocks;

constexpr const char* blankHFSVolumeName = "MacOS";
constexpr const char* blankProDOSVolumeName = "ProDOS";

// The premade server's manifest, fetched anew (blocking).
Manifest fetchPremadeManifest() {
    return Manifest::withURLString(PremadeServer::fromEnvironment().manifestURLString());
}

// A premade image is placed by its file system: "HFS" and "ProDOS" as
// themselves, anything else as HFS (an HFS wrapper around HFS+ then opens as
// the HFS+ volume it carries, and a bare HFS+ volume is placed as one).
VolumeType premadeVolumeType(const ManifestImage& image) {
    return image.fileSystem() == "ProDOS" ? VolumeType::proDOS : VolumeType::hfs;
}

std::string megabytes(int64_t count) { return std::to_string(count) + (count == 1 ? " megabyte" : " megabytes"); }

// The message for a layout one of whose local files is the output file (the
// same file, links followed), which writing the device would replace;
// nothing when none is.
std::optional<std::string> localFileAsOutputFailure(const std::vector<PartitionDefinition>& layout,
                                                    const std::string& outputFile) {
    for (size_t index = 0; index < layout.size(); ++index) {
        const auto& localFile = layout[index].localFile;
        if (localFile && fs::isSameFile(localFile->path(), outputFile)) {
            return "Entry " + std::to_string(index + 1) + " of the partition layout: the local file \"" +
                   localFile->relativePath() + "\" is the output file, which the device image would replace.";
        }
    }
    return std::nullopt;
}

// What one kind of blank volume may measure.
struct BlankVolumeBounds {
    const char* kind;  // "HFS"
    const char* key;   // "blankHFS"
    int64_t minimumBlocks;
    std::optional<int64_t> maximumBlocks;
};

// The device under construction: the builder, whose image file grows with
// every volume, and the volumes gathered so far, in layout order.
class DeviceAssembly {
public:
    explicit DeviceAssembly(const URL& fileURL) : creator_(MacintoshImageCreator::withCapacityInBlocks(fileURL, 0)) {}

    void addPremadeSet(const std::string& reference) {
        if (!manifest_) manifest_ = fetchPremadeManifest();
        const ManifestImageSet& set = manifest_->setForReference(reference);
        for (const ManifestImage& image : set.sortedVolumes()) {
            const VolumeType type = premadeVolumeType(image);
            // The device grows by the size the manifest states, whatever the
            // download's length.
            const int64_t blocks = image.sizeInBlocks();
            if (blocks < 0) {
                throw PartitionedDeviceError("The premade volume " + image.url().absoluteString() + " of the set \"" +
                                             reference + "\" has a negative size (" +
                                             std::to_string(image.sizeInBytes()) + " bytes); nothing was written.");
            }
            ensureRoomFor(blocks);
            const ImageBytes bytes = image.download();
            VolumeDescriptor descriptor = VolumeDescriptor::fromExistingData(image.fileSystem(), 0, bytes, type);
            // HFS+ volumes live in Apple_HFS partitions too, with or without
            // an HFS wrapper.
            if (type == VolumeType::hfs && descriptor.volumeType() == VolumeType::unreadable) {
                descriptor = VolumeDescriptor::fromExistingData(image.fileSystem(), 0, bytes, VolumeType::hfsPlus);
            }
            // A truncated download or an error page would otherwise become a
            // volume the map leaves out, and the device would lack it.
            if (descriptor.volumeType() == VolumeType::unreadable) {
                throw PartitionedDeviceError("The premade volume " + image.url().absoluteString() + " of the set \"" +
                                             reference + "\" is not a readable " +
                                             (type == VolumeType::proDOS ? "ProDOS" : "HFS") +
                                             " volume; nothing was written.");
            }
            grow(blocks);
            volumes_.push_back(std::move(descriptor));
        }
    }

    // A volume of the file that does not open would get no map entry while
    // its space stays allocated: the device would silently lose it, so the
    // whole layout is refused instead.
    void addLocalFile(const URL& fileURL) {
        for (VolumeDescriptor& descriptor : VolumeFileLoader::loadParseableFile(fileURL)) {
            if (descriptor.volumeType() == VolumeType::unreadable) {
                throw PartitionedDeviceError("The volume \"" + descriptor.name() + "\" of " + fileURL.path() +
                                             " is not a readable volume; nothing was written.");
            }
            grow(descriptor.sizeInBlocks);
            volumes_.push_back(std::move(descriptor));
        }
    }

    // The size was checked against the volume's bounds by validation.
    void addBlankVolume(int64_t sizeInMB, const char* name, VolumeType type) {
        const int64_t blocks = sizeInMB * blocksPerMegabyte;
        grow(blocks);
        volumes_.push_back(VolumeDescriptor::newBlankVolume(name, 0, blocks, type));
    }

    // Adds the device head, lays the device out and writes it, replacing a
    // file of that name.
    void write() {
        creator_.addEmptyBlocks(deviceHeadBlocks);
        creator_.partition(volumes_, SCSIDriver::appleHDSC735());
        creator_.create(true);
    }

private:
    // Refuses volumes past what a device image holds once its head is added.
    // Every volume gathered passed this, so the sum stays far from overflow.
    void ensureRoomFor(int64_t blocks) const {
        if (blocks > maximumDeviceBlocks - deviceHeadBlocks - volumeBlocks_) {
            throw PartitionedDeviceError(image_size::deviceTooLargeMessage());
        }
    }

    void grow(int64_t blocks) {
        ensureRoomFor(blocks);
        volumeBlocks_ += blocks;
        creator_.addEmptyBlocks(blocks);
    }

    MacintoshImageCreator creator_;
    std::vector<VolumeDescriptor> volumes_;
    std::optional<Manifest> manifest_;
    int64_t volumeBlocks_ = 0;
};

}  // namespace

CommandConfiguration MacDevicePartitioned::configuration() const {
    return {"MacDevicePartitioned",
            "Creates a Macintosh device image containing a partition map, a SCSI driver and one or several "
            "partitions of your choosing.\n"
            "A partition can either be a blank HFS or ProDOS partition, a volume image file or one of the premade "
            "injectable partitions."};
}

void MacDevicePartitioned::declareArguments(Arguments& arguments) {
    arguments.positional("outputFile",
                         "File name of the image. If you omit this argument, a proper name will be assigned "
                         "automatically.",
                         outputFile);
    arguments.option("configFile", {},
                     "JSON file containing the partition layout of your device image. If you omit this option, you "
                     "must use the --partitions option.",
                     configFile);
    arguments.transformedOption(
        "partitions", {},
        "The partition layout of your device image, in JSON format. If you omit this argument, you must specify a "
        "JSON file containing this layout using the --config-file option.",
        [this](const std::string& text) { partitions = partitionLayoutFromOptionText(text); });
    arguments.option("scsiID", {"-s"}, "SCSI ID to assign to the device image", scsiID);
    arguments.flag("listPremade", {}, "Lists the volume images available for injection (network connection required).",
                   listPremade);
    arguments.flag("listPremadeDetailed", {},
                   "Lists the volume images available for injection, including a description and a list of "
                   "supported machines (network connection required).",
                   listPremadeDetailed);
}

void MacDevicePartitioned::validate(std::ostream&) {
    // A listing reads no layout: nothing else matters.
    if (listPremade || listPremadeDetailed) return;
    if (static_cast<uint64_t>(scsiID) >= 8) throw ValidationError("A valid SCSI ID is an integer betweem 0 and 7.");
    const std::string output = outputFile.value_or(defaultFileName(scsiID));
    if (partitions) {
        if (configFile) {
            throw ValidationError("You can only use one of the JSON config file or the --partitions option.");
        }
    } else if (configFile) {
        // The layout is an input like its local files: the device would
        // replace it (the same file, links followed).
        if (fs::isSameFile(*configFile, output)) {
            throw ValidationError("The partition layout file \"" + *configFile +
                                  "\" is the output file, which the device image would replace.");
        }
        partitions = partitionLayoutFromFile(*configFile);
    } else {
        throw ValidationError("No partition defined, in a JSON config file or using the --partitions option.");
    }
    if (auto failure = layoutFailure(*partitions)) throw ValidationError(*failure);
    if (auto failure = localFileAsOutputFailure(*partitions, output)) throw ValidationError(*failure);
}

void MacDevicePartitioned::run(std::ostream& out) {
    if (listPremade || listPremadeDetailed) {
        // Fetched before anything is printed: a failed fetch prints nothing.
        out << premadeListing(fetchPremadeManifest(), listPremadeDetailed);
        return;
    }
    if (!partitions) throw ValidationError("Invalid partition list.");

    DeviceAssembly device(URL::fileURLWithPath(outputFile.value_or(defaultFileName(scsiID))));
    for (const PartitionDefinition& definition : *partitions) {
        if (definition.premade) device.addPremadeSet(*definition.premade);
        if (definition.localFile) device.addLocalFile(*definition.localFile);
        if (definition.blankHFS) device.addBlankVolume(*definition.blankHFS, blankHFSVolumeName, VolumeType::hfs);
        if (definition.blankProDOS) {
            device.addBlankVolume(*definition.blankProDOS, blankProDOSVolumeName, VolumeType::proDOS);
        }
    }
    device.write();
}

std::string MacDevicePartitioned::defaultFileName(int64_t scsiID) {
    return "HD" + std::to_string(scsiID) + "0_512.hda";
}

std::optional<std::string> MacDevicePartitioned::layoutFailure(const std::vector<PartitionDefinition>& layout) {
    const BlankVolumeBounds hfs{"HFS", "blankHFS", MasterDirectoryBlock::minimumBlankVolumeBlocks,
                                MasterDirectoryBlock::maximumBlankVolumeBlocks};
    // A ProDOS volume is formatted over its first 65,535 blocks at most; the
    // partition may be larger.
    const BlankVolumeBounds proDOS{"ProDOS", "blankProDOS", ProDOSDisk::minimumBlankVolumeBlocks, std::nullopt};

    // Blocks of the blank volumes so far; kept within a device's blocks, so
    // nothing below can overflow.
    int64_t blankBlocks = 0;
    for (size_t index = 0; index < layout.size(); ++index) {
        const std::string entry = "Entry " + std::to_string(index + 1) + " of the partition layout: ";
        const std::pair<const std::optional<int64_t>&, const BlankVolumeBounds&> blanks[] = {
            {layout[index].blankHFS, hfs}, {layout[index].blankProDOS, proDOS}};
        for (const auto& [size, bounds] : blanks) {
            if (!size) continue;
            const std::string subject =
                std::string("the size of a blank ") + bounds.kind + " volume (" + bounds.key + ") must be ";
            const int64_t minimumMB = (bounds.minimumBlocks + blocksPerMegabyte - 1) / blocksPerMegabyte;
            if (*size < minimumMB) {
                return entry + subject + "at least " + megabytes(minimumMB) + "; a blank " + bounds.kind +
                       " volume needs at least " + std::to_string(bounds.minimumBlocks) + " blocks.";
            }
            if (bounds.maximumBlocks && *size > *bounds.maximumBlocks / blocksPerMegabyte) {
                return entry + subject + "at most " + megabytes(*bounds.maximumBlocks / blocksPerMegabyte) +
                       "; a blank " + bounds.kind + " volume holds at most " + std::to_string(*bounds.maximumBlocks) +
                       " blocks.";
            }
            if (*size > (maximumDeviceBlocks - deviceHeadBlocks - blankBlocks) / blocksPerMegabyte) {
                return image_size::deviceTooLargeMessage();
            }
            blankBlocks += *size * blocksPerMegabyte;
        }
    }
    return std::nullopt;
}

}  // namespace zorv::cli
