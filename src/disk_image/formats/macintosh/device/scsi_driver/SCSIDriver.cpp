#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"

#include <algorithm>
#include <array>
#include <memory>

#include <nlohmann/json.hpp>

#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverImages.hpp"

namespace zorv {
namespace {

// A view of a compiled-in image: static storage, nothing to keep alive.
template <size_t N>
ImageBytes stored(const std::array<uint8_t, N>& image) {
    return ImageBytes::external(nullptr, image.data(), image.size());
}

// Data in an archive is base64 text, as Foundation's JSON coders write it.
Bytes decodeBase64(const std::string& text) {
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    const auto corrupted = [] {
        return nlohmann::json::type_error::create(302, "Encountered Data is not valid Base64.", nullptr);
    };
    if (text.size() % 4 != 0) throw corrupted();
    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int padding = 0;
        uint32_t group = 0;
        for (size_t j = 0; j < 4; ++j) {
            const char c = text[i + j];
            int digit = 0;
            if (c == '=' && last && j >= 2) {
                ++padding;
            } else {
                digit = value(c);
                if (digit < 0 || padding > 0) throw corrupted();
            }
            group = (group << 6) | static_cast<uint32_t>(digit);
        }
        bytes.push_back(static_cast<uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<uint8_t>(group));
    }
    return bytes;
}

SCSIDriver make(std::string name, int64_t ddSize, bool isPresentable, int64_t rangeMax,
                std::vector<int64_t> trailer, std::vector<std::string> description, ImageBytes driverData) {
    SCSIDriver driver;
    driver.name = std::move(name);
    driver.ddSize = ddSize;
    driver.isPresentable = isPresentable;
    driver.rangeMax = rangeMax;
    driver.trailer = std::move(trailer);
    driver.description = std::move(description);
    driver.prefersOldSCSIManager = false;
    driver.preferredPartitionName = "Macintosh";
    driver.driverData = std::move(driverData);
    return driver;
}

}  // namespace

bool SCSIDriver::isEmpty() const {
    return std::all_of(driverData.begin(), driverData.end(), [](uint8_t byte) { return byte == 0; });
}

SCSIDriver::DriverDescriptorPatch SCSIDriver::DriverDescriptorPatch::fromJSON(const nlohmann::json& archive) {
    DriverDescriptorPatch patch;
    patch.offset = archive.at("offset").get<int64_t>();
    patch.data = decodeBase64(archive.at("data").get<std::string>());
    return patch;
}

SCSIDriver SCSIDriver::fromJSON(const nlohmann::json& archive) {
    SCSIDriver driver;
    driver.name = archive.at("name").get<std::string>();
    driver.ddSize = archive.at("ddSize").get<int64_t>();
    driver.isPresentable = archive.at("isPresentable").get<bool>();
    driver.rangeMax = archive.at("rangeMax").get<int64_t>();
    driver.trailer = archive.at("trailer").get<std::vector<int64_t>>();
    driver.description = archive.at("description").get<std::vector<std::string>>();
    driver.prefersOldSCSIManager = archive.at("prefersOldSCSIManager").get<bool>();
    driver.preferredPartitionName = archive.at("preferredPartitionName").get<std::string>();
    driver.driverData = decodeBase64(archive.at("driverData").get<std::string>());
    if (archive.contains("descriptorPatch") && !archive.at("descriptorPatch").is_null()) {
        std::vector<DriverDescriptorPatch> patches;
        for (const auto& patch : archive.at("descriptorPatch")) patches.push_back(DriverDescriptorPatch::fromJSON(patch));
        driver.descriptorPatch = std::move(patches);
    }
    return driver;
}

const std::vector<int64_t>& SCSIDriver::defaultTrailer() {
    static const std::vector<int64_t> trailer{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0};
    return trailer;
}

const std::vector<int64_t>& SCSIDriver::hdsc203Trailer() {
    static const std::vector<int64_t> trailer{0, 1, 5, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 7, 0, 0};
    return trailer;
}

const SCSIDriver& SCSIDriver::appleDS15() {
    static const SCSIDriver driver =
        make("Apple Drive Setup 1.5", 32, false, 5120, defaultTrailer(),
             {"The SCSI driver on your device is from Drive Setup 1.5."}, stored(SCSIDriverImages::appleDS15));
    return driver;
}

const SCSIDriver& SCSIDriver::appleDS173() {
    static const SCSIDriver driver =
        make("Apple Drive Setup 1.7.3", 32, false, 5120, defaultTrailer(),
             {"The SCSI driver on your device is from Drive Setup 1.7.3."}, stored(SCSIDriverImages::appleDS173));
    return driver;
}

const SCSIDriver& SCSIDriver::appleDS173Chained() {
    static const SCSIDriver driver =
        make("Apple Chained Driver", 32, false, 40, defaultTrailer(),
             {"This driver is part of a chain of drivers."}, stored(SCSIDriverImages::appleDS173Chained));
    return driver;
}

const SCSIDriver& SCSIDriver::appleHDSC203() {
    static const SCSIDriver driver =
        make("Apple HD SC 2.0.3", 32, false, 5120, hdsc203Trailer(),
             {"The SCSI driver on your device is from HD SC Setup 2.0.3, a version of HD SC Setup generally "
              "distributed with System 6.0.6."},
             stored(SCSIDriverImages::appleHDSC203));
    return driver;
}

const SCSIDriver& SCSIDriver::appleHDSC722() {
    static const SCSIDriver driver =
        make("Apple HD SC 7.2.2", 32, false, 5120, defaultTrailer(),
             {"The SCSI driver on your device is from HD SC Setup 7.2.2."}, stored(SCSIDriverImages::appleHDSC722));
    return driver;
}

const SCSIDriver& SCSIDriver::appleHDSC735() {
    static const SCSIDriver driver =
        make("Apple HD SC 7.3.5", 19, true, 9384, defaultTrailer(),
             {"The SCSI driver on your device is the one installed by HD SC Setup 7.3.5.",
              "A patched version of this driver exists that allowed a device to work on a Mac, even though it "
              "wasn't blessed by Apple. On modern solutions like BlueSCSI, this is not required because BlueSCSI "
              "pretends to be a genuine Quantum hard drive."},
             stored(SCSIDriverImages::appleHDSC735));
    return driver;
}

const SCSIDriver& SCSIDriver::lido() {
    static const SCSIDriver driver =
        make("Lido", 32, false, 9384, defaultTrailer(),
             {"The SCSI driver on your device is the Lido driver. It used to be a versatile driver that offered "
              "compatibility with many hard drives (unlike Apple's own HD SC Setup). It is however known to cause "
              "serious performance issues on modern solutions like BlueSCSI.",
              "Zorvix can replace this driver with the classic driver from Apple, which offers much better "
              "performance with BlueSCSI. To do so, click the button above and a copy of your disk image with an "
              "updated driver will be created."},
             stored(SCSIDriverImages::lido));
    return driver;
}

const SCSIDriver& SCSIDriver::silverLining531() {
    static const SCSIDriver driver = [] {
        SCSIDriver built =
            make("LaCie Silverlining 5.31", 11, true, 512, std::vector<int64_t>(16, 0),
                 {"The SCSI driver on your device is the LaCie Silverlining 5.31 driver.",
                  "It's an early SCSI driver mostly used these days for its good compatibility with the Mac Plus in "
                  "solutions like PiSCSI."},
                 stored(SCSIDriverImages::silverLining531));
        built.prefersOldSCSIManager = true;
        built.preferredPartitionName = "Macintosh_SL";
        built.descriptorPatch = std::vector<DriverDescriptorPatch>{
            DriverDescriptorPatch{252, stored(SCSIDriverImages::silverLining531Patch)}};
        return built;
    }();
    return driver;
}

}  // namespace zorv
