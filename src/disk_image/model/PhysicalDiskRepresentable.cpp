#include "disk_image/model/PhysicalDiskRepresentable.hpp"

namespace zorv {

CodableDiskGeometry PhysicalDiskRepresentable::codable() const {
    return CodableDiskGeometry{trackCount(), sideCount(), sectorCount()};
}

}  // namespace zorv
