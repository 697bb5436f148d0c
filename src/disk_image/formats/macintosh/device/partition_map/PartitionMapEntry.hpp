#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartStatusFlags.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"
#include "disk_image/model/PartitionMapEntryRepresentable.hpp"

namespace zorv {

// One entry of an Apple partition map: a 512-byte big-endian record in its
// own block, whatever the device's block size. The same value is the record
// read from a device, the record written into a new one, and the partition as
// the reports show it.
//
// Integers hold the unsigned on-disk values. Entries read from a device keep
// every field as found; a new entry takes fixed values by partition type (see
// the building constructor).
class PartitionMapEntry : public HFSBlockable<PartitionMapEntry>, public PartitionMapEntryRepresentable {
public:
    static constexpr int64_t recordSize = 512;
    // The bytes a block must hold for the reader: every field up to the end
    // of the 16-byte trailer.
    static constexpr int64_t minimumBlockSize = 152;
    // The longest partition name, in characters (and in bytes on disk).
    static constexpr int64_t nameLength = 32;

    Bytes pmSig;
    int64_t pmSigPad = 0;
    // Entries in the map; the same in every entry.
    int64_t pmMapBlkCnt = 0;
    // First block of the partition and its size, in physical blocks.
    int64_t pmPyPartStart = 0;
    int64_t pmPartBlkCnt = 0;
    std::string pmPartName;
    std::string pmParType;
    int64_t pmLgDataStart = 0;
    int64_t pmDataCnt = 0;
    PartStatusFlags pmPartStatus;
    int64_t pmLgBootStart = 0;
    // Boot code size in bytes.
    int64_t pmBootSize = 0;
    int64_t pmBootAddr = 0;
    int64_t pmBootAddr2 = 0;
    int64_t pmBootEntry = 0;
    int64_t pmBootEntry2 = 0;
    int64_t pmBootCksum = 0;
    std::string pmProcessor;
    // The bytes after pmProcessor, 0 to 255 each: 16 when read; a driver's
    // trailer for a new Apple_Driver43 entry, none for other new entries.
    std::vector<int64_t> trailer;
    PartitionType partitionType{PartitionType::Case::appleVoid};
    // The catalogued driver found in this partition (set by the device reader).
    std::optional<SCSIDriver> scsiDriver;
    // The block size in which pmPyPartStart and pmPartBlkCnt count.
    int64_t physicalBlockSizeInBytes = 0;

    // Reads the entry from the bytes of one block; physicalBlockSizeInBytes
    // is their count. Throws invalidPartitionMapSignature unless the block
    // begins with "PM", ReadPastEndError when it holds fewer than 152 bytes,
    // and unknownPartitionType (with pmParType) when the first word of the
    // type field names no PartitionType. The type carries the placeholder
    // values of PartitionType::allCases(), not the entry's.
    explicit PartitionMapEntry(const ImageBytes& block);

    // A new entry of that type, for a map of pmMapBlkCnt entries counting in
    // blocks of physicalBlockSize bytes. The type's start, size and name go
    // into the entry; status, boot fields, processor and trailer are fixed by
    // type (appleDriver43: boot size 9392, checksum 0xF624, "68000" and the
    // type's trailer). Names are cut to 32 characters. An A/UX volume
    // (appleUnixSVR2) is located like a ProDOS one: start, size, name, status
    // 0x37.
    PartitionMapEntry(const PartitionType& type, int64_t pmMapBlkCnt, int64_t physicalBlockSize);

    // The trailer that marks a badly written driver entry.
    static const std::vector<int64_t>& incorrectDriverPartitionTrailer();

    bool isDriverPartitionEntryTrailerIncorrect() const { return trailer == incorrectDriverPartitionTrailer(); }
    // The recognised driver holds nothing but zeros; false without a driver.
    bool hasEmptySCSIDriver() const { return scsiDriver && scsiDriver->isEmpty(); }

    // The twenty fields in on-disk order, the last one the zero padding up to
    // byte 512. Values outside their fields throw FieldEncodingError.
    std::vector<Bytes> dataBlockArray() const;

    // PartitionMapEntryRepresentable
    std::string partitionTypeLabel() const override;
    // The volume's name, else the recognised driver's, else pmPartName.
    std::string partitionName() const override;
    int64_t sizeInBytes() const override;
    bool isInteresting() const override;
    // The trailer is the incorrect one, or the driver is Lido.
    bool hasWarning() const override;
    // The entry's own 512-byte record.
    std::optional<ImageBytes> partitionData() const override;
    std::shared_ptr<const VolumeRepresentable> associatedVolume() const override { return associatedVolume_; }
    void setAssociatedVolume(std::shared_ptr<const VolumeRepresentable> volume) override {
        associatedVolume_ = std::move(volume);
    }
    std::string preferredName() const override { return partitionName(); }
    int64_t startPhysicalBlock() const override { return pmPyPartStart; }
    int64_t sizeInPhysicalBlocks() const override { return pmPartBlkCnt; }

private:
    std::shared_ptr<const VolumeRepresentable> associatedVolume_;
};

}  // namespace zorv
