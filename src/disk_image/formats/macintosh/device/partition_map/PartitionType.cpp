#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"

#include <array>

#include <nlohmann/json.hpp>

namespace zorv {
namespace {

struct CaseInfo {
    std::string_view caseName;
    std::string_view id;
    std::string_view descriptiveName;
};

// Indexed by PartitionType::Case.
constexpr std::array<CaseInfo, PartitionType::caseCount> cases{{
    {"appleDriver", "Apple_Driver", "Driver for SCSI Manager"},
    {"appleDriver43", "Apple_Driver43", "Driver for SCSI Manager 4.3"},
    {"appleDriver43CD", "Apple_Driver43_CD", "SCSI Driver 4.3 CD-ROM"},
    {"appleDriverATA", "Apple_Driver_ATA", "ATA Driver"},
    {"appleDriverATAPI", "Apple_Driver_ATAPI", "ATAPI Driver"},
    {"appleDriverIOKit", "Apple_Driver_IOKit", "IO Kit Driver"},
    {"appleExtra", "Apple_Extra", "Unused Partition"},
    {"appleFree", "Apple_Free", "Free Space"},
    {"appleFWDriver", "Apple_FWDriver", "FireWire Driver"},
    {"appleHFS", "Apple_HFS", "HFS or HFS+ Volume"},
    {"appleMFS", "Apple_MFS", "MFS Volume"},
    {"applePartitionMap", "Apple_partition_map", "Partition Map"},
    {"applePatches", "Apple_Patches", "Apple Patches"},
    {"applePRODOS", "Apple_PRODOS", "ProDOS Volume"},
    {"appleScratch", "Apple_Scratch", "Scratch"},
    {"appleUnixSVR2", "Apple_Unix_SVR2", "Unix Volume"},
    {"appleVoid", "Apple_Void", "Dummy Entry"},
}};

const CaseInfo& info(PartitionType::Case kind) { return cases[static_cast<size_t>(kind)]; }

// What a case carries besides its start block and size.
enum class Payload { none, startAndSize, name, trailer };

Payload payload(PartitionType::Case kind) {
    using Case = PartitionType::Case;
    switch (kind) {
        case Case::appleDriver:
        case Case::appleHFS:
        case Case::appleMFS:
        case Case::applePRODOS:
        case Case::appleUnixSVR2: return Payload::name;
        case Case::appleDriver43: return Payload::trailer;
        case Case::appleFree:
        case Case::applePartitionMap: return Payload::startAndSize;
        default: return Payload::none;
    }
}

}  // namespace

PartitionType::PartitionType(Case kind, int64_t startBlock, int64_t sizeInBlocks, std::string name,
                             std::vector<int64_t> trailer)
    : kind_(kind), startBlock_(startBlock), sizeInBlocks_(sizeInBlocks), name_(std::move(name)),
      trailer_(std::move(trailer)) {}

PartitionType::PartitionType(Case kind) : kind_(kind) {
    if (kind == Case::applePartitionMap) startBlock_ = 1;
}

PartitionType PartitionType::appleDriver(int64_t startBlock, int64_t sizeInBlocks, std::string partitionName) {
    return {Case::appleDriver, startBlock, sizeInBlocks, std::move(partitionName), {}};
}

PartitionType PartitionType::appleDriver43(int64_t startBlock, int64_t sizeInBlocks, std::vector<int64_t> trailer) {
    return {Case::appleDriver43, startBlock, sizeInBlocks, {}, std::move(trailer)};
}

PartitionType PartitionType::appleFree(int64_t startBlock, int64_t sizeInBlocks) {
    return {Case::appleFree, startBlock, sizeInBlocks, {}, {}};
}

PartitionType PartitionType::appleHFS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName) {
    return {Case::appleHFS, startBlock, sizeInBlocks, std::move(volumeName), {}};
}

PartitionType PartitionType::appleMFS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName) {
    return {Case::appleMFS, startBlock, sizeInBlocks, std::move(volumeName), {}};
}

PartitionType PartitionType::applePartitionMap(int64_t startBlock, int64_t sizeInBlocks) {
    return {Case::applePartitionMap, startBlock, sizeInBlocks, {}, {}};
}

PartitionType PartitionType::applePRODOS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName) {
    return {Case::applePRODOS, startBlock, sizeInBlocks, std::move(volumeName), {}};
}

PartitionType PartitionType::appleUnixSVR2(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName) {
    return {Case::appleUnixSVR2, startBlock, sizeInBlocks, std::move(volumeName), {}};
}

bool PartitionType::hasValues() const { return payload(kind_) != Payload::none; }

std::string_view PartitionType::descriptiveName() const { return info(kind_).descriptiveName; }

bool PartitionType::isInterestingForUser() const {
    return kind_ == Case::appleHFS || kind_ == Case::appleMFS || kind_ == Case::applePRODOS;
}

std::string_view PartitionType::id(Case kind) { return info(kind).id; }

std::string_view PartitionType::caseName(Case kind) { return info(kind).caseName; }

const std::vector<PartitionType>& PartitionType::allCases() {
    static const std::vector<PartitionType> all = [] {
        std::vector<PartitionType> list;
        list.reserve(caseCount);
        for (int index = 0; index < caseCount; ++index) list.emplace_back(static_cast<Case>(index));
        return list;
    }();
    return all;
}

std::optional<PartitionType> PartitionType::findTypeMatching(std::string_view text) {
    for (const auto& type : allCases()) {
        if (type.id() == text) return type;
    }
    return std::nullopt;
}

PartitionType PartitionType::fromJSON(const nlohmann::json& archive) {
    // Keys that name no case are not looked at, as a keyed archive lists only
    // the keys it knows.
    std::optional<Case> found;
    int keys = 0;
    for (const auto& [key, value] : archive.items()) {
        for (int index = 0; index < caseCount; ++index) {
            if (caseName(static_cast<Case>(index)) == key) {
                found = static_cast<Case>(index);
                ++keys;
            }
        }
    }
    if (!archive.is_object() || keys != 1) {
        throw nlohmann::json::type_error::create(302, "Invalid number of keys found, expected one.", &archive);
    }
    const Case kind = *found;
    const nlohmann::json& values = archive.at(std::string(caseName(kind)));
    if (!values.is_object()) {
        throw nlohmann::json::type_error::create(302, "Expected a keyed container of values.", &values);
    }
    const Payload carried = payload(kind);
    if (carried == Payload::none) return PartitionType(kind);
    const auto startBlock = values.at("startBlock").get<int64_t>();
    const auto sizeInBlocks = values.at("sizeInBlocks").get<int64_t>();
    switch (kind) {
        case Case::appleDriver:
            return appleDriver(startBlock, sizeInBlocks, values.at("partitionName").get<std::string>());
        case Case::appleDriver43:
            return appleDriver43(startBlock, sizeInBlocks, values.at("trailer").get<std::vector<int64_t>>());
        case Case::appleFree: return appleFree(startBlock, sizeInBlocks);
        case Case::applePartitionMap: return applePartitionMap(startBlock, sizeInBlocks);
        default:
            return PartitionType(kind, startBlock, sizeInBlocks, values.at("volumeName").get<std::string>(), {});
    }
}

}  // namespace zorv
