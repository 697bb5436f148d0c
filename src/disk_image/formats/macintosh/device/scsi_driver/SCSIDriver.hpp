#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// One of the SCSI drivers the program knows: its image (the bytes of its
// driver partition), the values the driver descriptor record and the
// partition map entry take for it, and a few words about it for the user.
// The eight known drivers are the static values below; SCSIDriverCatalog
// lists them in the order in which a driver partition is identified.
struct SCSIDriver {
    // Bytes written over block 0 after the driver descriptor record, for
    // drivers that expect more there than the record holds.
    struct DriverDescriptorPatch {
        int64_t offset = 0;  // byte offset in block 0
        ImageBytes data;

        // Keys "offset" and "data" (base64 text); the archive's own errors on
        // a missing key or a value of the wrong type.
        static DriverDescriptorPatch fromJSON(const nlohmann::json& archive);

        friend bool operator==(const DriverDescriptorPatch&, const DriverDescriptorPatch&) = default;
    };

    std::string name;
    // The driver's size as the driver descriptor record's entry gives it.
    int64_t ddSize = 0;
    // Offered for new device images (SCSIDriverCatalog::presentableList()).
    bool isPresentable = false;
    // How many leading bytes of a driver partition must equal the image for
    // the partition to hold this driver.
    int64_t rangeMax = 0;
    // The 16 bytes after pmProcessor in the driver's partition map entry.
    std::vector<int64_t> trailer;
    std::vector<std::string> description;
    // The partition map gives the driver an Apple_Driver entry named
    // preferredPartitionName instead of an Apple_Driver43 entry with trailer.
    bool prefersOldSCSIManager = false;
    std::string preferredPartitionName;
    ImageBytes driverData;
    std::optional<std::vector<DriverDescriptorPatch>> descriptorPatch;

    // True when the image holds no byte other than zero (or no byte at all).
    bool isEmpty() const;

    // Keys named after the fields ("descriptorPatch" may be missing;
    // "driverData" is base64 text). Nothing in the program decodes a driver:
    // the known ones are built in.
    static SCSIDriver fromJSON(const nlohmann::json& archive);

    // The trailers of the catalog's partition map entries.
    static const std::vector<int64_t>& defaultTrailer();
    static const std::vector<int64_t>& hdsc203Trailer();

    // The known drivers, built on first use.
    static const SCSIDriver& appleDS15();
    static const SCSIDriver& appleDS173();
    static const SCSIDriver& appleDS173Chained();
    static const SCSIDriver& appleHDSC203();
    static const SCSIDriver& appleHDSC722();
    static const SCSIDriver& appleHDSC735();
    static const SCSIDriver& lido();
    static const SCSIDriver& silverLining531();

    // Every field, images byte by byte.
    friend bool operator==(const SCSIDriver&, const SCSIDriver&) = default;
};

}  // namespace zorv
