#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverCatalog.hpp"

#include <algorithm>
#include <stdexcept>

namespace zorv {

SCSIDriverCatalog::SCSIDriverCatalog()
    : list_{SCSIDriver::appleDS15(),    SCSIDriver::appleDS173(),   SCSIDriver::appleDS173Chained(),
            SCSIDriver::appleHDSC203(), SCSIDriver::appleHDSC722(), SCSIDriver::appleHDSC735(),
            SCSIDriver::lido(),         SCSIDriver::silverLining531()} {}

const SCSIDriverCatalog& SCSIDriverCatalog::shared() {
    static const SCSIDriverCatalog catalog;
    return catalog;
}

std::optional<SCSIDriver> SCSIDriverCatalog::findDriverMatching(ByteView partitionBytes) const {
    for (const auto& driver : list_) {
        const auto compared = static_cast<size_t>(std::max<int64_t>(driver.rangeMax, 0));
        // A driver whose own image is shorter than its compared range cannot
        // be told apart on that range: it never matches.
        if (partitionBytes.size() < compared || driver.driverData.size() < compared) continue;
        if (std::equal(partitionBytes.begin(), partitionBytes.begin() + static_cast<std::ptrdiff_t>(compared),
                       driver.driverData.begin())) {
            return driver;
        }
    }
    return std::nullopt;
}

std::vector<SCSIDriver> SCSIDriverCatalog::presentableList() const {
    std::vector<SCSIDriver> presentable;
    std::copy_if(list_.begin(), list_.end(), std::back_inserter(presentable),
                 [](const SCSIDriver& driver) { return driver.isPresentable; });
    return presentable;
}

SCSIDriver SCSIDriverCatalog::driverAtIndex(int64_t index) const {
    const auto presentable = presentableList();
    if (index < 0 || index >= static_cast<int64_t>(presentable.size())) {
        throw std::out_of_range("no presentable SCSI driver at index " + std::to_string(index));
    }
    return presentable[static_cast<size_t>(index)];
}

int64_t SCSIDriverCatalog::indexOfDriver(const SCSIDriver& driver) const {
    const auto presentable = presentableList();
    const auto found = std::find(presentable.begin(), presentable.end(), driver);
    return found == presentable.end() ? 0 : static_cast<int64_t>(found - presentable.begin());
}

}  // namespace zorv
