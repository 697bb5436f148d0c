// The records of Atari ST floppies: packed FAT dates, the boot sector, the
// FAT12 table and directory entries.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk_image/formats/atari_st/TOSDateComponents.hpp"
#include "disk_image/formats/atari_st/tos/TOSBootSector.hpp"
#include "disk_image/formats/atari_st/tos/TOSBootSectorError.hpp"
#include "disk_image/formats/atari_st/tos/TOSDirectoryEntry.hpp"
#include "disk_image/formats/atari_st/tos/TOSFAT.hpp"
#include "platform/RandomNumbers.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

// --- Dates ---

struct DateCase {
    int64_t time;
    int64_t date;
    TOSDateComponents expected;
};

class TOSDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(TOSDates, UnpackAsStored) {
    EXPECT_EQ(TOSDateComponents::fromWords(GetParam().time, GetParam().date), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Words, TOSDates,
                         ::testing::Values(DateCase{0x0000, 0x0000, {1980, 0, 0, 0, 0, 0}},
                                           DateCase{0xBF7D, 0x2A21, {2001, 1, 1, 23, 59, 58}},
                                           DateCase{0x0000, 0xFF9F, {2107, 12, 31, 0, 0, 0}}));

// --- Boot sector ---

Bytes sectorWithBPS(int64_t bps) {
    Bytes sector(512, 0);
    sector[11] = static_cast<uint8_t>(bps);
    sector[12] = static_cast<uint8_t>(bps >> 8);
    return sector;
}

TEST(TOSBootSector, SectorSizesThatAreWholeMultiplesOf512) {
    for (const int64_t bps : {512, 1024, 4096}) EXPECT_EQ(TOSBootSector(ImageBytes(sectorWithBPS(bps))).bps, bps);
    for (const int64_t bps : {0, 256, 513, 768}) {
        SCOPED_TRACE(bps);
        testing::expectError<TOSBootSectorError>(TOSBootSectorError::Case::invalidBPS,
                                                 [&] { TOSBootSector(ImageBytes(sectorWithBPS(bps))); });
    }
}

TEST(TOSBootSector, BootableWhenTheBigEndianWordsSumTo0x1234) {
    Bytes sector = sectorWithBPS(512);
    // 0x0200 from the sector size; the last word makes up the rest, with a
    // carry out of 16 bits that is dropped.
    sector[510] = 0x10;
    sector[511] = 0x34;
    EXPECT_TRUE(TOSBootSector(ImageBytes(sector)).isBootable);
    sector[0] = 0xFE;
    sector[1] = 0x00;  // + 0xFE00, so 0x11234 in all
    sector[510] = 0x12;
    EXPECT_TRUE(TOSBootSector(ImageBytes(sector)).isBootable);
    sector[511] = 0x35;
    EXPECT_FALSE(TOSBootSector(ImageBytes(sector)).isBootable);
}

TEST(TOSBootSector, NewDSDDSectorBytes) {
    const RandomNumbers::ScopedSource pinned([] { return 0xAABBCCDDu; });
    const Bytes sector = TOSBootSector(TOSMedia::DSDDFloppy, 512).dataBlock();
    Bytes expected{0xE9, 0x00, 'Z', 'V', 'Z', 'V', 'Z', 'V', 0xDD, 0xCC, 0xBB, 0x00, 0x02, 0x02, 0x01, 0x00,
                   0x02, 0x70, 0x00, 0xA0, 0x05, 0xF9, 0x05, 0x00, 0x09, 0x00, 0x02, 0x00, 0x00, 0x00};
    expected.resize(512, 0);
    EXPECT_EQ(sector, expected);
}

TEST(TOSBootSector, NewSectorsReadBackAndDifferOnlyInTheirSerial) {
    const TOSBootSector first(TOSMedia::DSHDFloppy, 512);
    const TOSBootSector second(TOSMedia::DSHDFloppy, 512);
    EXPECT_FALSE(first.isBootable);
    EXPECT_NE(first.serial, second.serial);
    TOSBootSector reread(ImageBytes(first.dataBlock()));
    EXPECT_EQ(reread.dataBlock(), first.dataBlock());
    EXPECT_EQ(reread.nsects, 2880);
    EXPECT_EQ(reread.spt, 18);
    reread.serial = second.serial;
    EXPECT_EQ(reread.dataBlock(), second.dataBlock());
}

// --- FAT12 ---

TOSFAT tableOf(Bytes bytes, int64_t clusterCount) { return TOSFAT(ImageBytes(std::move(bytes)), clusterCount); }

TEST(TOSFAT, TwelveBitEntriesAndTheirChain) {
    const TOSFAT fat = tableOf({0xF9, 0xFF, 0xFF, 0x03, 0x40, 0x00, 0xFF, 0x0F, 0x00}, 5);
    EXPECT_EQ((std::vector<std::optional<int64_t>>{fat.entry(0), fat.entry(1), fat.entry(2), fat.entry(3),
                                                   fat.entry(4)}),
              (std::vector<std::optional<int64_t>>{0xFF9, 0xFFF, 0x003, 0x004, 0xFFF}));
    EXPECT_EQ(fat.clusterListStarting(2), (std::vector<int64_t>{2, 3, 4}));
}

// Entry n of a table as 12 bits, n even or odd.
Bytes tableWith(const std::vector<std::pair<int64_t, int64_t>>& entries, size_t size) {
    Bytes table(size, 0);
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

struct ChainCase {
    const char* name;
    std::vector<std::pair<int64_t, int64_t>> entries;
    int64_t clusterCount;
    int64_t first;
    std::vector<int64_t> chain;
};

class TOSFATChains : public ::testing::TestWithParam<ChainCase> {};

TEST_P(TOSFATChains, FollowDataClustersOnly) {
    const ChainCase& c = GetParam();
    EXPECT_EQ(tableOf(tableWith(c.entries, 6200), c.clusterCount).clusterListStarting(c.first), c.chain);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TOSFATChains,
    ::testing::Values(
        ChainCase{"EntryFEFGoesOn", {{2, 0xFEF}, {0xFEF, 0xFFF}}, 4080, 2, {2, 0xFEF}},
        ChainCase{"EntryFF0Ends", {{2, 0xFF0}}, 4080, 2, {2}},
        ChainCase{"StartAt0IsEmpty", {{0, 0xFF9}, {1, 0xFFF}}, 351, 0, {}},
        ChainCase{"StartAt1IsEmpty", {{0, 0xFF9}, {1, 0xFFF}}, 351, 1, {}},
        ChainCase{"StartBeyondTheDataIsEmpty", {}, 351, 353, {}},
        ChainCase{"LastTwoClustersAreData", {{350, 351}, {351, 352}, {352, 0xFFF}}, 351, 350, {350, 351, 352}},
        ChainCase{"NextBeyondTheDataEnds", {{352, 353}}, 351, 352, {352}},
        ChainCase{"LoopEndsAtAClusterPassed", {{2, 3}, {3, 4}, {4, 2}}, 10, 2, {2, 3, 4}},
        ChainCase{"SelfLoopEnds", {{5, 5}}, 10, 5, {5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TOSFAT, FreeClustersAreTheDataClustersMarked0) {
    // Clusters 2 to 11: 3 and 11 in use; entries 0 and 1 reserved.
    const TOSFAT fat = tableOf(tableWith({{0, 0xFF9}, {1, 0xFFF}, {3, 0xFFF}, {11, 0xFFF}}, 18), 10);
    EXPECT_EQ(fat.freeClusterCount(), 8);
    EXPECT_TRUE(fat.holdsEveryCluster());
    EXPECT_FALSE(tableOf(Bytes(17, 0), 10).holdsEveryCluster());
}

TEST(TOSFAT, BlankTables) {
    const Bytes dsdd = TOSFAT(TOSMedia::DSDDFloppy).dataBlock();
    ASSERT_EQ(dsdd.size(), 2560u);
    EXPECT_EQ(Bytes(dsdd.begin(), dsdd.begin() + 4), (Bytes{0xF9, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(TOSFAT(TOSMedia::SSDDFloppy).dataBlock()[0], 0xF8);
    EXPECT_EQ(TOSFAT(TOSMedia::DSHDFloppy).dataBlock().size(), 4608u);
}

// --- Directory entries ---

ImageBytes entryBytes(const std::string& nameAndExtension, uint8_t attributes = 0x20) {
    Bytes entry(32, 0);
    std::copy(nameAndExtension.begin(), nameAndExtension.end(), entry.begin());
    entry[11] = attributes;
    entry[26] = 7;                                       // starting cluster
    entry[28] = 0x10;                                    // 0x2710 = 10,000 bytes
    entry[29] = 0x27;
    return ImageBytes(entry);
}

TEST(TOSDirectoryEntry, NameExtensionAndFields) {
    const TOSDirectoryEntry entry(entryBytes("README  TXT"), 5);
    EXPECT_EQ(entry.fileName, "README");
    EXPECT_EQ(entry.extension, "TXT");
    EXPECT_EQ(entry.name(), "README.TXT");
    EXPECT_EQ(entry.startingCluster, 7);
    EXPECT_EQ(entry.fileSize, 10000);
    EXPECT_EQ(entry.parentCluster, 5);
    EXPECT_FALSE(entry.isFolder());

    const TOSDirectoryEntry shortExtension(entryBytes("PROGRAM C  "), 0);
    EXPECT_EQ(shortExtension.extension, "C  ");
    EXPECT_EQ(shortExtension.name(), "PROGRAM.C");
    EXPECT_EQ(TOSDirectoryEntry(entryBytes("TEXT       "), 0).name(), "TEXT");
    EXPECT_TRUE(TOSDirectoryEntry(entryBytes("GAMES      ", 0x10), 0).isFolder());
}

struct MarkCase {
    const char* name;
    Bytes firstBytes;
    bool neverUsed, deleted, current, parent;
};

class TOSDirectoryEntryMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(TOSDirectoryEntryMarks, FirstNameByte) {
    const MarkCase& c = GetParam();
    Bytes raw = entryBytes("ABCDEFGHTXT").toBytes();
    std::copy(c.firstBytes.begin(), c.firstBytes.end(), raw.begin());
    const TOSDirectoryEntry entry(ImageBytes(raw), 0);
    EXPECT_EQ(entry.neverUsed, c.neverUsed);
    EXPECT_EQ(entry.deleted, c.deleted);
    EXPECT_EQ(entry.isCurrentPointer, c.current);
    EXPECT_EQ(entry.isParentPointer, c.parent);
}

INSTANTIATE_TEST_SUITE_P(Marks, TOSDirectoryEntryMarks,
                         ::testing::Values(MarkCase{"NeverUsed", {0x00}, true, false, false, false},
                                           MarkCase{"Deleted", {0xE5}, false, true, false, false},
                                           MarkCase{"EscapedE5", {0x05}, false, false, false, false},
                                           MarkCase{"Current", {0x2E, 0x20}, false, false, true, false},
                                           MarkCase{"Parent", {0x2E, 0x2E}, false, false, false, true},
                                           MarkCase{"Ordinary", {'A'}, false, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TOSDirectoryEntry, EscapedNameBeginsWithTheCharacterForE5) {
    Bytes raw = entryBytes("XBCD    TXT").toBytes();
    raw[0] = 0x05;
    EXPECT_EQ(TOSDirectoryEntry(ImageBytes(raw), 0).fileName, "\u03C3BCD");  // code page 437: 0xE5 is sigma
}

TEST(TOSDirectoryEntry, LongNameEntriesAreMarkedApart) {
    const TOSDirectoryEntry longName(entryBytes("Along  name", 0x0F), 0);
    EXPECT_TRUE(longName.attributes.isLongName());
    EXPECT_TRUE(longName.attributes.contains(TOSDirectoryEntry::EntryOption::volumeLabel));
    EXPECT_FALSE(TOSDirectoryEntry(entryBytes("LABEL      ", 0x08), 0).attributes.isLongName());
}

}  // namespace
}  // namespace zorv
