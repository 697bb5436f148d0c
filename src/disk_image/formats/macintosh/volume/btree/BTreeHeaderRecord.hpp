#pragma once

#include <array>
#include <cstdint>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// The header record of a B-tree file: 106 bytes at byte 14 of node 0. It
// locates the leaf chain and gives the node size and the key options.
struct BTreeHeaderRecord {
    static constexpr int64_t size = 106;

    // The 32-bit attributes word as a set of options. Only bigKeys and
    // variableIndexKeys change how records are read; every other bit is
    // carried as stored.
    struct BTreeHeaderAttribute {
        uint32_t rawValue = 0;

        static const BTreeHeaderAttribute badClose;           // 0x1
        static const BTreeHeaderAttribute bigKeys;            // 0x2: 16-bit key length fields
        static const BTreeHeaderAttribute variableIndexKeys;  // 0x4

        constexpr BTreeHeaderAttribute() = default;
        constexpr explicit BTreeHeaderAttribute(uint32_t rawValue) : rawValue(rawValue) {}

        constexpr bool contains(BTreeHeaderAttribute other) const {
            return (rawValue & other.rawValue) == other.rawValue;
        }
        constexpr bool isSubset(BTreeHeaderAttribute of) const { return (rawValue & ~of.rawValue) == 0; }
        constexpr bool isSuperset(BTreeHeaderAttribute of) const { return of.isSubset(*this); }
        constexpr BTreeHeaderAttribute intersection(BTreeHeaderAttribute other) const {
            return BTreeHeaderAttribute(rawValue & other.rawValue);
        }
        friend constexpr bool operator==(BTreeHeaderAttribute, BTreeHeaderAttribute) = default;
    };

    int64_t treeDepth = 0;
    int64_t rootNode = 0;
    int64_t leafRecords = 0;
    int64_t firstLeafNode = 0;
    int64_t lastLeafNode = 0;
    int64_t nodeSize = 0;
    int64_t maxKeyLength = 0;
    int64_t totalNodes = 0;
    int64_t freeNodes = 0;
    int64_t reserved1 = 0;
    int64_t clumpSize = 0;
    int64_t btreeType = 0;
    int64_t keyCompareType = 0;
    BTreeHeaderAttribute attributes;
    std::array<int64_t, 16> reserved3{};

    BTreeHeaderRecord() = default;
    // Reads the record from the first 106 bytes; ReadPastEndError when the
    // buffer is shorter.
    explicit BTreeHeaderRecord(const ImageBytes& block);
};

inline constexpr BTreeHeaderRecord::BTreeHeaderAttribute BTreeHeaderRecord::BTreeHeaderAttribute::badClose{0x1};
inline constexpr BTreeHeaderRecord::BTreeHeaderAttribute BTreeHeaderRecord::BTreeHeaderAttribute::bigKeys{0x2};
inline constexpr BTreeHeaderRecord::BTreeHeaderAttribute BTreeHeaderRecord::BTreeHeaderAttribute::variableIndexKeys{
    0x4};

}  // namespace zorv
