#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/device/DriverLocation.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"
#include "disk_image/model/SupportedOS.hpp"

namespace zorv {

// The driver descriptor record in block 0 of a Macintosh SCSI device image:
// the "ER" signature, the device's block size and size in blocks, and the
// SCSI drivers stored on the device. The record is 512 bytes whatever the
// device's block size.
class DriverDescriptor : public HFSBlockable<DriverDescriptor> {
public:
    static constexpr int64_t recordSize = 512;
    // The fixed fields before the driver entries.
    static constexpr int64_t headerSize = 18;
    // 18 + 8 * 61 = 506: a 62nd entry would not fit in the record.
    static constexpr int64_t maximumDriverCount = 61;

    Bytes sbSig;
    // Device block size in bytes.
    int64_t sbBlkSize = 0;
    int64_t sbDevType = 1;
    int64_t sbDevId = 1;
    int64_t sbData = 0;
    // The entry count as recorded; written as stored, not recounted.
    int64_t sbDrvrCount = 1;
    std::vector<DriverLocation> driverLocations;

    // Reads the record from bytes that begin with block 0. Throws
    // invalidDriverDescriptorSignature unless they begin with "ER", and
    // ReadPastEndError when they end inside the 18 bytes of fixed fields.
    // Nothing else is checked; of the entries that sbDrvrCount announces it
    // keeps those that lie inside both the bytes and the 512-byte record.
    explicit DriverDescriptor(const ImageBytes& block);

    // The record of a new device image with one Macintosh driver.
    DriverDescriptor(int64_t sbBlkSize, int64_t sbBlkCount, int64_t ddBlock, int64_t ddSize);

    // Device size in blocks; fixed once the record is built.
    int64_t sbBlkCount() const { return sbBlkCount_; }

    // Returns when the bytes begin with "ER"; throws
    // invalidDriverDescriptorSignature otherwise (also for fewer than 2 bytes).
    static void hasCorrectSignature(ByteView bytes);

    // The computer family the first driver entry is for: ddType 1 is
    // macintosh, 0 and 2 to 15 apple, anything else (or no entry) other.
    SupportedOS supportedOS() const;

    // Nine chunks: the fixed fields, the entries, and the zero padding to 512
    // bytes. More than 61 entries cannot be written (FieldEncodingError).
    std::vector<Bytes> dataBlockArray() const;

private:
    int64_t sbBlkCount_ = 0;
};

}  // namespace zorv
