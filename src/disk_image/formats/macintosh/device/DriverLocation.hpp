#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// One driver entry of the driver descriptor record (8 bytes): where a SCSI
// driver starts on the device, its size as the record gives it, and the
// operating system it is for.
class DriverLocation : public HFSBlockable<DriverLocation> {
public:
    static constexpr int64_t size = 8;

    DriverLocation(int64_t ddBlock, int64_t ddSize, int64_t ddType)
        : ddBlock_(ddBlock), ddSize_(ddSize), ddType_(ddType) {}

    // First device block of the driver.
    int64_t ddBlock() const { return ddBlock_; }
    // The driver's size as recorded (new images take the catalog's ddSize).
    int64_t ddSize() const { return ddSize_; }
    // The operating system the driver is for; 1 is Macintosh.
    int64_t ddType() const { return ddType_; }

    // ddBlock (u32), ddSize (u16), ddType (u16).
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const DriverLocation& a, const DriverLocation& b) {
        return a.ddBlock_ == b.ddBlock_ && a.ddSize_ == b.ddSize_ && a.ddType_ == b.ddType_;
    }

private:
    int64_t ddBlock_;
    int64_t ddSize_;
    int64_t ddType_;
};

}  // namespace zorv
