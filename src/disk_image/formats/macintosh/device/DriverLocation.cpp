#include "disk_image/formats/macintosh/device/DriverLocation.hpp"

namespace zorv {

std::vector<Bytes> DriverLocation::dataBlockArray() const {
    return {longInteger(ddBlock_), integer(ddSize_), integer(ddType_)};
}

}  // namespace zorv
