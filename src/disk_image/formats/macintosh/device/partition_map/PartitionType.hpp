#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zorv {

// The kind of a partition in an Apple partition map, from the type string of
// its entry (pmParType). The kinds the program creates carry what their entry
// needs (start block, size in blocks, and a name or a driver trailer); the
// others carry nothing.
//
// Two values are equal when they are the same case with equal values. Types
// found by findTypeMatching() carry the placeholder values of allCases(), not
// those of the entry read, so entries of one kind are found by comparing with
// the placeholder (PartitionType(Case::appleHFS) and the like).
class PartitionType {
public:
    // In declaration order: the order of allCases() and of the type lookup.
    enum class Case {
        appleDriver,        // start, size, partition name
        appleDriver43,      // start, size, trailer
        appleDriver43CD,
        appleDriverATA,
        appleDriverATAPI,
        appleDriverIOKit,
        appleExtra,
        appleFree,          // start, size
        appleFWDriver,
        appleHFS,           // start, size, volume name
        appleMFS,           // start, size, volume name
        applePartitionMap,  // start, size
        applePatches,
        applePRODOS,        // start, size, volume name
        appleScratch,
        appleUnixSVR2,      // start, size, volume name
        appleVoid,
    };
    static constexpr int caseCount = 17;

    // The case with the placeholder values of allCases(): 0, 0 and an empty
    // name or trailer, except applePartitionMap, which starts at block 1.
    explicit PartitionType(Case kind);

    static PartitionType appleDriver(int64_t startBlock, int64_t sizeInBlocks, std::string partitionName);
    static PartitionType appleDriver43(int64_t startBlock, int64_t sizeInBlocks, std::vector<int64_t> trailer);
    static PartitionType appleFree(int64_t startBlock, int64_t sizeInBlocks);
    static PartitionType appleHFS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName);
    static PartitionType appleMFS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName);
    static PartitionType applePartitionMap(int64_t startBlock, int64_t sizeInBlocks);
    static PartitionType applePRODOS(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName);
    static PartitionType appleUnixSVR2(int64_t startBlock, int64_t sizeInBlocks, std::string volumeName);

    Case kind() const { return kind_; }
    // Whether the case carries a start block and a size.
    bool hasValues() const;
    // The carried values; 0, 0, empty for a case without them.
    int64_t startBlock() const { return startBlock_; }
    int64_t sizeInBlocks() const { return sizeInBlocks_; }
    // The partition name of appleDriver, the volume name of the volume cases.
    const std::string& name() const { return name_; }
    // The trailer of appleDriver43.
    const std::vector<int64_t>& trailer() const { return trailer_; }

    // The type string, e.g. "Apple_HFS" ("Apple_partition_map" in lower-case
    // words).
    std::string_view id() const { return id(kind_); }
    // The label the reports show, e.g. "HFS or HFS+ Volume".
    std::string_view descriptiveName() const;
    // True for appleHFS, appleMFS and applePRODOS only.
    bool isInterestingForUser() const;

    static std::string_view id(Case kind);
    // The name of the case as written in an archive ("appleHFS").
    static std::string_view caseName(Case kind);

    // The 17 cases in declaration order, with their placeholder values.
    static const std::vector<PartitionType>& allCases();
    // The first case whose type string equals the text exactly (letter case
    // included; no trimming), or none.
    static std::optional<PartitionType> findTypeMatching(std::string_view text);

    // Decodes an object with exactly one case-name key, whose value is an
    // object holding "startBlock", "sizeInBlocks" and, by case,
    // "partitionName", "trailer" or "volumeName" (empty for cases without
    // values). Another number of case keys throws a type error whose text
    // ends "Invalid number of keys found, expected one."; missing keys and
    // values of the wrong type throw the archive's own errors.
    static PartitionType fromJSON(const nlohmann::json& archive);

    friend bool operator==(const PartitionType&, const PartitionType&) = default;

private:
    PartitionType(Case kind, int64_t startBlock, int64_t sizeInBlocks, std::string name, std::vector<int64_t> trailer);

    Case kind_;
    int64_t startBlock_ = 0;
    int64_t sizeInBlocks_ = 0;
    std::string name_;
    std::vector<int64_t> trailer_;
};

}  // namespace zorv
