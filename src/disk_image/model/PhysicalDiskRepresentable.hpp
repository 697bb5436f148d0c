#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/model/CodableDiskGeometry.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// A disk laid out in tracks, sectors and sides (floppies, Amiga disks), with
// the files that occupy its sectors. Volumes and devices that are also disks
// answer it from their physicalDisk() accessor.
class PhysicalDiskRepresentable {
public:
    struct SectorAddress {
        int64_t track = 0;
        int64_t sector = 0;
        int64_t side = 0;

        friend bool operator==(const SectorAddress&, const SectorAddress&) = default;
    };

    // A sector in use and the colour code of its map cell.
    struct OccupiedSector {
        int64_t track = 0;
        int64_t sector = 0;
        int64_t side = 0;
        int64_t color = 0;

        friend bool operator==(const OccupiedSector&, const OccupiedSector&) = default;
    };

    virtual ~PhysicalDiskRepresentable() = default;

    virtual int64_t trackCount() const = 0;
    // Sectors per track.
    virtual int64_t sectorCount() const = 0;
    virtual int64_t sideCount() const = 0;
    // The disk offers a sector map (occupiedSectors()).
    virtual bool canBeShownGraphically() const = 0;
    virtual std::vector<OccupiedSector> occupiedSectors() const = 0;
    // The file or folder owning that sector, or null.
    virtual VolumeItem itemAt(int64_t track, int64_t sector, int64_t side) const = 0;
    // The sectors an item occupies (none for an item of another format).
    virtual std::vector<SectorAddress> sectorsFor(const VolumeItem& item) const = 0;

    // The disk's geometry record in the JSON report.
    CodableDiskGeometry codable() const;

protected:
    PhysicalDiskRepresentable() = default;
    PhysicalDiskRepresentable(const PhysicalDiskRepresentable&) = default;
    PhysicalDiskRepresentable& operator=(const PhysicalDiskRepresentable&) = default;
};

}  // namespace zorv
