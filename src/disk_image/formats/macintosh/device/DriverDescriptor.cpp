#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"

#include <algorithm>
#include <array>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {
namespace {

constexpr std::array<uint8_t, 2> signature{'E', 'R'};

}  // namespace

DriverDescriptor::DriverDescriptor(const ImageBytes& block) {
    hasCorrectSignature(block);
    HFSReaderBlock reader(block);
    sbSig = reader.getDataBlock(static_cast<int64_t>(signature.size())).toBytes();
    sbBlkSize = reader.getInteger();
    sbBlkCount_ = reader.getLongInteger();
    sbDevType = reader.getInteger();
    sbDevId = reader.getInteger();
    sbData = reader.getLongInteger();
    sbDrvrCount = reader.getInteger();
    // A damaged count must not take entries from beyond the record (or from
    // beyond the bytes given): keep the ones that are there.
    const int64_t available = std::min<int64_t>(static_cast<int64_t>(block.size()), recordSize) - headerSize;
    const int64_t count = std::min({sbDrvrCount, maximumDriverCount, available / DriverLocation::size});
    driverLocations.reserve(static_cast<size_t>(count));
    for (int64_t index = 0; index < count; ++index) {
        const int64_t ddBlock = reader.getLongInteger();
        const int64_t ddSize = reader.getInteger();
        const int64_t ddType = reader.getInteger();
        driverLocations.emplace_back(ddBlock, ddSize, ddType);
    }
}

DriverDescriptor::DriverDescriptor(int64_t sbBlkSize, int64_t sbBlkCount, int64_t ddBlock, int64_t ddSize)
    : sbSig(signature.begin(), signature.end()),
      sbBlkSize(sbBlkSize),
      driverLocations{DriverLocation(ddBlock, ddSize, 1)},
      sbBlkCount_(sbBlkCount) {}

void DriverDescriptor::hasCorrectSignature(ByteView bytes) {
    if (bytes.size() < signature.size() || !std::equal(signature.begin(), signature.end(), bytes.begin())) {
        throw DriverDescriptorError(DriverDescriptorError::Case::invalidDriverDescriptorSignature);
    }
}

SupportedOS DriverDescriptor::supportedOS() const {
    if (driverLocations.empty()) return SupportedOS::other;
    const int64_t type = driverLocations.front().ddType();
    if (type == 1) return SupportedOS::macintosh;
    if (type >= 0 && type <= 15) return SupportedOS::apple;
    return SupportedOS::other;
}

std::vector<Bytes> DriverDescriptor::dataBlockArray() const {
    const auto count = static_cast<int64_t>(driverLocations.size());
    if (count > maximumDriverCount) {
        throw FieldEncodingError(std::to_string(count) + " driver entries do not fit a driver descriptor record");
    }
    Bytes entries;
    entries.reserve(static_cast<size_t>(count * DriverLocation::size));
    for (const auto& location : driverLocations) {
        const Bytes entry = location.dataBlock();
        entries.insert(entries.end(), entry.begin(), entry.end());
    }
    return {sbSig,
            integer(sbBlkSize),
            longInteger(sbBlkCount_),
            integer(sbDevType),
            integer(sbDevId),
            longInteger(sbData),
            integer(sbDrvrCount),
            entries,
            Bytes(static_cast<size_t>(recordSize - headerSize - count * DriverLocation::size), 0)};
}

}  // namespace zorv
