// The records of Atari ST floppies where they compute rather than read:
// packed FAT dates, the boot sector's checksum and FAT12 cluster chains.
// What every field holds is checked against floppies made by mtools.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "disk_image/formats/atari_st/TOSDateComponents.hpp"
#include "disk_image/formats/atari_st/tos/TOSBootSector.hpp"
#include "disk_image/formats/atari_st/tos/TOSFAT.hpp"

namespace zorv {
namespace {

TEST(TOSDateComponents, UnpackAsStored) {
    EXPECT_EQ(TOSDateComponents::fromWords(0x0000, 0x0000), (TOSDateComponents{1980, 0, 0, 0, 0, 0}));
    EXPECT_EQ(TOSDateComponents::fromWords(0xBF7D, 0x2A21), (TOSDateComponents{2001, 1, 1, 23, 59, 58}));
    EXPECT_EQ(TOSDateComponents::fromWords(0x0000, 0xFF9F), (TOSDateComponents{2107, 12, 31, 0, 0, 0}));
}

TEST(TOSBootSector, BootableWhenTheBigEndianWordsSumTo0x1234) {
    Bytes sector(512, 0);
    sector[12] = 0x02;  // 512 bytes per sector: 0x0200 in the sum
    // The last word makes up the rest, with a carry out of 16 bits dropped.
    sector[510] = 0x10;
    sector[511] = 0x34;
    EXPECT_TRUE(TOSBootSector(ImageBytes(sector)).isBootable);
    sector[0] = 0xFE;  // + 0xFE00, so 0x11234 in all
    sector[510] = 0x12;
    EXPECT_TRUE(TOSBootSector(ImageBytes(sector)).isBootable);
    sector[511] = 0x35;
    EXPECT_FALSE(TOSBootSector(ImageBytes(sector)).isBootable);
}

// A table with entry n set as 12 bits, n even or odd.
Bytes tableWith(const std::vector<std::pair<int64_t, int64_t>>& entries) {
    Bytes table(6200, 0);
    for (const auto& [n, value] : entries) {
        const auto at = static_cast<size_t>(n * 3 / 2);
        if (n % 2 == 0) {
            table[at] = static_cast<uint8_t>(value);
            table[at + 1] = static_cast<uint8_t>((table[at + 1] & 0xF0) | (value >> 8));
        } else {
            table[at] = static_cast<uint8_t>((table[at] & 0x0F) | (value & 0x0F) << 4);
            table[at + 1] = static_cast<uint8_t>(value >> 4);
        }
    }
    return table;
}

// Chains run over the data clusters 2 to clusterCount + 1 only, and end at a
// cluster already passed.
TEST(TOSFAT, ChainsFollowDataClustersOnly) {
    struct Case {
        const char* what;
        std::vector<std::pair<int64_t, int64_t>> entries;
        int64_t clusterCount;
        int64_t first;
        std::vector<int64_t> chain;
    };
    const std::vector<Case> cases{
        {"entry 0xFEF goes on", {{2, 0xFEF}, {0xFEF, 0xFFF}}, 4080, 2, {2, 0xFEF}},
        {"entry 0xFF0 ends", {{2, 0xFF0}}, 4080, 2, {2}},
        {"a start at 0 is empty", {{0, 0xFF9}, {1, 0xFFF}}, 351, 0, {}},
        {"a start at 1 is empty", {{0, 0xFF9}, {1, 0xFFF}}, 351, 1, {}},
        {"a start beyond the data is empty", {}, 351, 353, {}},
        {"the last two clusters are data", {{350, 351}, {351, 352}, {352, 0xFFF}}, 351, 350, {350, 351, 352}},
        {"a next cluster beyond the data ends", {{352, 353}}, 351, 352, {352}},
        {"a loop ends at a cluster passed", {{2, 3}, {3, 4}, {4, 2}}, 10, 2, {2, 3, 4}},
        {"a cluster naming itself ends", {{5, 5}}, 10, 5, {5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TOSFAT(ImageBytes(tableWith(c.entries)), c.clusterCount).clusterListStarting(c.first), c.chain)
            << c.what;
    }
}

}  // namespace
}  // namespace zorv
