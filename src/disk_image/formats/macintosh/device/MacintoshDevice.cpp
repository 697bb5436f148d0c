#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"

#include <algorithm>
#include <iostream>
#include <tuple>

#include "data_access/CheckedMath.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDeviceError.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverCatalog.hpp"

namespace zorv {
namespace {

// The name every volume found on a device is planned under.
constexpr const char* foundVolumeName = "MacOS";
// An HFS+ volume header lies 1,024 bytes into its volume and begins "H+",
// whatever the device's block size.
constexpr int64_t hfsPlusSignatureOffset = 1024;
constexpr std::array<uint8_t, 2> hfsPlusSignature{'H', '+'};

[[noreturn]] void blockOutsideImage() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

URL urlOfBytesAlone() { return *URL::parse("file://"); }

bool holdsHFSPlus(const ImageBytes& partition) {
    const auto end = hfsPlusSignatureOffset + static_cast<int64_t>(hfsPlusSignature.size());
    if (static_cast<int64_t>(partition.size()) < end) return false;
    return std::equal(hfsPlusSignature.begin(), hfsPlusSignature.end(), partition.begin() + hfsPlusSignatureOffset);
}

// The entry at that index of the entries ordered by start block (equal
// starts in map order), among those `wanted` keeps; null outside the list.
// Picks it without sorting or copying the entries: the reports ask for one
// partition after the other.
template <typename Wanted>
const PartitionMapEntry* entryByStart(const PartitionMap& map, int64_t index, Wanted wanted) {
    std::vector<std::pair<int64_t, size_t>> order;
    for (size_t position = 0; position < map.partitions.size(); ++position) {
        if (wanted(map.partitions[position])) order.emplace_back(map.partitions[position].pmPyPartStart, position);
    }
    if (index < 0 || index >= static_cast<int64_t>(order.size())) return nullptr;
    const auto nth = order.begin() + index;
    std::nth_element(order.begin(), nth, order.end());
    return &map.partitions[nth->second];
}

bool anyEntry(const PartitionMapEntry&) { return true; }
bool interestingEntry(const PartitionMapEntry& entry) { return entry.isInteresting(); }

}  // namespace

MacintoshDevice::MacintoshDevice(ImageBytes data, URL fileURL)
    : BlockStructureDefinable(DriverDescriptor::recordSize, std::move(data)), diskImageFileURL(std::move(fileURL)) {
    if (!isToastDevice()) {
        if (sizeInBytes() < DriverDescriptor::recordSize) blockOutsideImage();
        const DriverDescriptor descriptor(getBlockAtPosition(driverDescriptorPosition));
        // A block that cannot hold a map entry (0 included) is no block size
        // of a device.
        if (descriptor.sbBlkSize < PartitionMapEntry::minimumBlockSize) blockOutsideImage();
        blockSize = descriptor.sbBlkSize;
    }
    if (sizeInBlocks() < 2) blockOutsideImage();
    readPartitionMap();
}

MacintoshDevice::MacintoshDevice(ImageBytes data) : MacintoshDevice(std::move(data), urlOfBytesAlone()) {}

void MacintoshDevice::readPartitionMap() {
    const int64_t entryCount = PartitionMapEntry(getBlockAtPosition(partitionMapPosition)).pmMapBlkCnt;
    std::vector<PartitionMapEntry> entries;
    // Entries that locate the same bytes as the same kind share one opened
    // volume: a map that lists one volume over and over opens it once.
    std::map<std::tuple<int64_t, int64_t, VolumeType>, VolumeDescriptor> opened;
    // Entries are read one block at a time, and the first one past the image
    // ends the read: a huge count costs no more than the image holds.
    for (int64_t block = partitionMapPosition; block <= entryCount; ++block) {
        if (block >= sizeInBlocks()) blockOutsideImage();
        std::optional<PartitionMapEntry> read;
        try {
            read.emplace(getBlockAtPosition(block));
        } catch (const PartitionMapEntryError& error) {
            if (error.errorCase != PartitionMapEntryError::Case::unknownPartitionType) throw;
            std::cout << printableText(error.typeString) << '\n';
            continue;
        }
        PartitionMapEntry& entry = *read;
        // Listed as it is, without its volume or driver: the rest of a dump
        // cut short still reads.
        if (isCutShort(entry)) {
            entries.push_back(std::move(entry));
            continue;
        }
        switch (entry.partitionType.kind()) {
            case PartitionType::Case::appleHFS:
            case PartitionType::Case::appleMFS:
            case PartitionType::Case::applePRODOS: {
                const ImageBytes bytes = partitionBytes(entry);
                const VolumeType volumeType = volumeTypeOfPartition(entry.partitionType.kind(), bytes);
                auto found = opened.find({entry.pmPyPartStart, entry.pmPartBlkCnt, volumeType});
                if (found == opened.end()) {
                    found = opened
                                .emplace(std::tuple{entry.pmPyPartStart, entry.pmPartBlkCnt, volumeType},
                                         VolumeDescriptor::fromExistingData(foundVolumeName, 0, bytes, volumeType))
                                .first;
                }
                entry.setAssociatedVolume(found->second.parsedVolume());
                volumeDescriptors.insert_or_assign(entry.pmPyPartStart, found->second);
                break;
            }
            case PartitionType::Case::appleDriver:
            case PartitionType::Case::appleDriver43:
                entry.scsiDriver = SCSIDriverCatalog::shared().findDriverMatching(partitionBytes(entry));
                break;
            default: break;
        }
        entries.push_back(std::move(entry));
    }
    partitionMap = PartitionMap(std::move(entries));
}

VolumeType MacintoshDevice::volumeTypeOfPartition(PartitionType::Case kind, const ImageBytes& partitionBytes) {
    if (kind == PartitionType::Case::applePRODOS) return VolumeType::proDOS;
    if (kind == PartitionType::Case::appleMFS) return VolumeType::mfs;
    return holdsHFSPlus(partitionBytes) ? VolumeType::hfsPlus : VolumeType::hfs;
}

bool MacintoshDevice::isCutShort(const PartitionMapEntry& entry) const {
    switch (entry.partitionType.kind()) {
        case PartitionType::Case::appleHFS:
        case PartitionType::Case::appleMFS:
        case PartitionType::Case::applePRODOS:
        case PartitionType::Case::appleDriver:
        case PartitionType::Case::appleDriver43:
            return !checked::rangeFits(entry.pmPyPartStart, entry.pmPartBlkCnt, sizeInBlocks());
        default: return false;
    }
}

ImageBytes MacintoshDevice::partitionBytes(const PartitionMapEntry& entry) const {
    return getBlockAtPosition(entry.pmPyPartStart, entry.pmPartBlkCnt);
}

std::optional<MacintoshDevice> MacintoshDevice::fromImageData(const ImageBytes& imageData) {
    try {
        DriverDescriptor::hasCorrectSignature(imageData);
        return MacintoshDevice(imageData);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

DriverDescriptor MacintoshDevice::driverDescriptor() const {
    return DriverDescriptor(getBlockAtPosition(driverDescriptorPosition));
}

bool MacintoshDevice::isToastDevice() const { return validatePresenceOfData(toastSignature, toastSignatureOffset); }

std::vector<std::pair<int64_t, PartitionMapEntry>> MacintoshDevice::partitionMapEntriesOfType(
    const PartitionType& type) const {
    std::vector<std::pair<int64_t, PartitionMapEntry>> found;
    for (size_t index = 0; index < partitionMap.partitions.size(); ++index) {
        if (partitionMap.partitions[index].partitionType == type) {
            found.emplace_back(static_cast<int64_t>(index), partitionMap.partitions[index]);
        }
    }
    return found;
}

VolumeDescriptor MacintoshDevice::descriptorOf(const PartitionMapEntry* entry) const {
    if (!entry) throw MacintoshDeviceError(MacintoshDeviceError::Case::invalidPartitionIndex);
    // Another partition may start where this one does: its volume is not this one's.
    if (isCutShort(*entry)) throw MacintoshDeviceError(MacintoshDeviceError::Case::partitionPastEndOfImage);
    const auto found = volumeDescriptors.find(entry->startPhysicalBlock());
    if (found == volumeDescriptors.end()) throw MacintoshDeviceError(MacintoshDeviceError::Case::invalidPartitionIndex);
    return found->second;
}

VolumeDescriptor MacintoshDevice::volumeDescriptorForPartition(int64_t partitionIndex) const {
    return descriptorOf(entryByStart(partitionMap, partitionIndex, anyEntry));
}

VolumeDescriptor MacintoshDevice::volumeDescriptorForInterestingPartition(int64_t interestingPartitionIndex) const {
    return descriptorOf(entryByStart(partitionMap, interestingPartitionIndex, interestingEntry));
}

std::string MacintoshDevice::deviceName() const { return "Macintosh SCSI Device"; }

SupportedOS MacintoshDevice::targetOS() const {
    try {
        return driverDescriptor().supportedOS();
    } catch (const std::exception&) {
        return SupportedOS::other;
    }
}

std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> MacintoshDevice::devicePartitions() const {
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> partitions;
    for (auto& entry : partitionMap.sortedPartitions()) {
        partitions.push_back(std::make_shared<const PartitionMapEntry>(std::move(entry)));
    }
    return partitions;
}

std::shared_ptr<const VolumeRepresentable> MacintoshDevice::volumeForPartition(int64_t index) const {
    const PartitionMapEntry* entry = entryByStart(partitionMap, index, anyEntry);
    return entry ? entry->associatedVolume() : nullptr;
}

}  // namespace zorv
