#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"

namespace zorv {

// The fixed, ordered list of the known SCSI drivers: Drive Setup 1.5 and
// 1.7.3, the chained driver, HD SC Setup 2.0.3, 7.2.2 and 7.3.5, Lido and
// LaCie Silverlining 5.31. It identifies the driver in a driver partition and
// offers the drivers a new device image may carry.
class SCSIDriverCatalog {
public:
    SCSIDriverCatalog();

    // The catalog every reader shares, built on first use.
    static const SCSIDriverCatalog& shared();

    // The first driver, in list order, whose first rangeMax bytes the
    // partition's bytes begin with; a partition shorter than rangeMax never
    // matches that driver. None when no driver matches.
    std::optional<SCSIDriver> findDriverMatching(ByteView partitionBytes) const;

    // The drivers offered for new device images: HD SC Setup 7.3.5, then
    // Silverlining 5.31.
    std::vector<SCSIDriver> presentableList() const;
    // The driver at that index of presentableList(); throws std::out_of_range
    // outside it.
    SCSIDriver driverAtIndex(int64_t index) const;
    // The index in presentableList() of the first driver equal to the given
    // one, or 0 when there is none.
    int64_t indexOfDriver(const SCSIDriver& driver) const;

private:
    std::vector<SCSIDriver> list_;
};

}  // namespace zorv
