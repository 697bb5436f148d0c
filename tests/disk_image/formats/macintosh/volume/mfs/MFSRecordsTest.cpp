#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSError.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSFileDirectory.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSMasterDirectoryBlock.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"
#include "MFSImageBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using testing::MFSEntryFields;
using testing::MFSImageBuilder;
using testing::ScopedTimeZone;
using testing::mfsEntryBytes;

constexpr int64_t kUnixEpochIn1904Seconds = 2082844800;

Date utcDate(int64_t macSeconds) { return Date{macSeconds - kUnixEpochIn1904Seconds}; }

// The 1024 bytes of sectors 2 and 3 as the builder writes them.
ImageBytes mdbSectors(const MFSImageBuilder& image) {
    Bytes block = image.masterDirectoryBlock();
    block.resize(1024, 0);
    return ImageBytes(block);
}

// ---------------------------------------------------------------------------
// Master directory block

TEST(MFSMasterDirectoryBlock, ReadsEveryFieldUnsigned) {
    ScopedTimeZone utc("UTC");
    MFSImageBuilder image;
    image.created = 2526085569;
    image.backedUp = 0xF0000000;
    image.attributes = 0x8040;
    image.fileCount = 0xFFFE;
    image.directoryStart = 4;
    image.directoryLength = 12;
    image.allocationBlocks = 391;
    image.allocationBlockSize = 0x80000400;
    image.clumpSize = 8192;
    image.allocationStart = 16;
    image.nextFileNumber = 0x80000001;
    image.freeBlocks = 177;
    image.volumeName = "System Disk";

    const MFSMasterDirectoryBlock mdb(mdbSectors(image));
    EXPECT_EQ(mdb.drCrDate, utcDate(2526085569));
    EXPECT_EQ(mdb.drLsBkUp, utcDate(0xF0000000));
    EXPECT_EQ(mdb.drAtrb, 0x8040);
    EXPECT_EQ(mdb.drNmFls, 0xFFFE);
    EXPECT_EQ(mdb.drDirSt, 4);
    EXPECT_EQ(mdb.drBlLen, 12);
    EXPECT_EQ(mdb.drNmAlBlks, 391);
    EXPECT_EQ(mdb.drAlBlkSiz, 0x80000400);
    EXPECT_EQ(mdb.drClpSiz, 8192);
    EXPECT_EQ(mdb.drAlBlSt, 16);
    EXPECT_EQ(mdb.drNxtFNum, 0x80000001);
    EXPECT_EQ(mdb.drFreeBks, 177);
    EXPECT_EQ(mdb.drVN, "System Disk");
}

struct NameCase {
    const char* label;
    Bytes field;  // the 28 bytes at offset 36 and whatever follows
    std::string expected;
};

class MFSMasterDirectoryBlockName : public ::testing::TestWithParam<NameCase> {};

TEST_P(MFSMasterDirectoryBlockName, ReadsTheLengthPrefixedName) {
    MFSImageBuilder image;
    Bytes block = image.masterDirectoryBlock();
    block.resize(36);
    block.insert(block.end(), GetParam().field.begin(), GetParam().field.end());
    block.resize(1024, 0);
    EXPECT_EQ(MFSMasterDirectoryBlock(ImageBytes(block)).drVN, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MFSMasterDirectoryBlockName,
    ::testing::Values(
        NameCase{"junk after the name", ByteBuilder().pascal("Untitled").text("XXXXXXXXXXXXXXXXXXX"), "Untitled"},
        NameCase{"empty", ByteBuilder().u8(0).text("Leftover"), ""},
        NameCase{"full 27 characters", ByteBuilder().pascal("ABCDEFGHIJKLMNOPQRSTUVWXYZ0"),
                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ0"},
        NameCase{"Mac OS Roman", ByteBuilder().pascal("Caf\x8E \xAA"), "Caf\xC3\xA9 \xE2\x84\xA2"},
        NameCase{"length byte past the field", ByteBuilder().u8(30).text(std::string(30, 'n')), std::string(30, 'n')}),
    testing::namedBy(&NameCase::label));

TEST(MFSMasterDirectoryBlock, RefusesAnyOtherSignature) {
    for (const Bytes& start : {Bytes{'B', 'D'}, Bytes{0, 0}, Bytes{0xD7, 0xD2}, Bytes{'H', '+'}}) {
        Bytes block = mdbSectors(MFSImageBuilder()).toBytes();
        block[0] = start[0];
        block[1] = start[1];
        try {
            MFSMasterDirectoryBlock mdb{ImageBytes(block)};
            ADD_FAILURE() << "accepted " << int(start[0]) << " " << int(start[1]);
        } catch (const MFSError& error) {
            EXPECT_EQ(error.errorCase, MFSError::Case::invalidSignature);
            EXPECT_STREQ(error.what(), "invalidSignature");
        }
    }
}

TEST(MFSMasterDirectoryBlock, ShortBlockIsAReadPastTheEnd) {
    const Bytes whole = MFSImageBuilder().masterDirectoryBlock();
    for (size_t length : {size_t{0}, size_t{1}, size_t{2}, size_t{40}, size_t{63}}) {
        EXPECT_THROW(MFSMasterDirectoryBlock(ImageBytes(Bytes(whole.begin(), whole.begin() + length))),
                     ReadPastEndError)
            << length;
    }
    EXPECT_NO_THROW(MFSMasterDirectoryBlock(ImageBytes(Bytes(whole.begin(), whole.begin() + 64))));
}

TEST(MFSMasterDirectoryBlock, EncodesAsTwoZeroSectors) {
    const MFSMasterDirectoryBlock read(mdbSectors(MFSImageBuilder()));
    for (const MFSMasterDirectoryBlock& mdb : {read, MFSMasterDirectoryBlock()}) {
        const auto chunks = mdb.dataBlockArray();
        ASSERT_EQ(chunks.size(), 2u);
        EXPECT_EQ(chunks[0], Bytes(512, 0));
        EXPECT_EQ(chunks[1], Bytes(512, 0));
        EXPECT_EQ(mdb.dataBlock(), Bytes(1024, 0));
    }
}

// ---------------------------------------------------------------------------
// Directory entries

TEST(MFSFileDirectoryEntry, ReadsEveryFieldAndStopsAfterTheName) {
    ScopedTimeZone utc("UTC");
    MFSEntryFields fields;
    fields.name = "Note Pad File";
    fields.flags = 0x81;
    fields.version = 3;
    fields.type = "ZSYS";
    fields.creator = "MACS";
    fields.finderFlags = 0x3100;
    fields.fileNumber = 0x80000005;
    fields.dataLength = 2048;
    fields.dataPhysicalLength = 2560;
    fields.resourceLength = 0x80000000;
    fields.resourcePhysicalLength = 0x80000200;
    fields.created = 2526631716;
    fields.modified = 0xFFFFFFFF;
    Bytes bytes = mfsEntryBytes(fields);
    bytes[22] = 0x12;  // flStBlk
    bytes[23] = 0x34;
    bytes[32] = 0xAB;  // flRStBlk
    bytes[33] = 0xCD;

    HFSReaderBlock reader{ImageBytes(bytes)};
    const MFSFileDirectoryEntry entry(reader);
    EXPECT_EQ(reader.offset, 50 + 1 + 13);
    EXPECT_EQ(entry.flFlags, 0x81);
    EXPECT_EQ(entry.flTyp, 3);
    EXPECT_EQ(entry.flUsrWds.fdType.string(), "ZSYS");
    EXPECT_EQ(entry.flUsrWds.fdCreator.string(), "MACS");
    EXPECT_EQ(entry.flUsrWds.fdFlags, 0x3100);
    EXPECT_EQ(entry.flFlNum, 0x80000005);
    EXPECT_EQ(entry.flStBlk, 0x1234);
    EXPECT_EQ(entry.flLgLen, 2048);
    EXPECT_EQ(entry.flPyLen, 2560);
    EXPECT_EQ(entry.flRStBlk, 0xABCD);
    EXPECT_EQ(entry.flRLgLen, 0x80000000);
    EXPECT_EQ(entry.flRPyLen, 0x80000200);
    EXPECT_EQ(entry.flCrDat, utcDate(2526631716));
    EXPECT_EQ(entry.flMdDat, utcDate(0xFFFFFFFF));
    EXPECT_EQ(entry.flNam, "Note Pad File");
}

TEST(MFSFileDirectoryEntry, AnswersAsAFileWithoutContents) {
    MFSEntryFields fields;
    fields.name = "Read Me";
    fields.fileNumber = 6;
    fields.dataLength = 1000;
    fields.dataPhysicalLength = 1024;
    fields.resourceLength = 300;
    fields.resourcePhysicalLength = 512;
    HFSReaderBlock reader{ImageBytes(mfsEntryBytes(fields))};
    const MFSFileDirectoryEntry entry(reader);

    EXPECT_EQ(entry.name(), "Read Me");
    EXPECT_EQ(entry.logicalSizeInBytes(), 1300);
    EXPECT_EQ(entry.physicalSizeInBytes(), 1536);
    EXPECT_FALSE(entry.isFolder());
    EXPECT_FALSE(entry.isExportable());
    EXPECT_EQ(entry.kind(), std::nullopt);
    EXPECT_EQ(entry.type(), std::nullopt);
    EXPECT_EQ(entry.creator(), std::nullopt);
    EXPECT_EQ(entry.itemIdentifier(), 6u);
    // No type code to take an extension from.
    EXPECT_EQ(entry.fileExtension(), "");
}

TEST(MFSFileDirectoryEntry, CutEntryIsAReadPastTheEnd) {
    MFSEntryFields fields;
    fields.name = "Scrapbook File";
    const Bytes whole = mfsEntryBytes(fields);
    for (size_t length : {size_t{0}, size_t{30}, size_t{50}, size_t{51}, size_t{64}}) {
        HFSReaderBlock reader{ImageBytes(Bytes(whole.begin(), whole.begin() + length))};
        EXPECT_THROW(MFSFileDirectoryEntry{reader}, ReadPastEndError) << length;
    }
}

struct FlagsCase {
    int64_t fdFlags;
    std::vector<FinderFlag> expected;
};

class MFSFinderFlags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(MFSFinderFlags, KeepsFlagsWhoseBitsAreAllSet) {
    EXPECT_EQ(MFSFileDirectoryEntry::finderFlags(GetParam().fdFlags), GetParam().expected);

    MFSEntryFields fields;
    fields.name = "F";
    fields.finderFlags = GetParam().fdFlags;
    HFSReaderBlock reader{ImageBytes(mfsEntryBytes(fields))};
    const MFSFileDirectoryEntry entry(reader);
    ASSERT_TRUE(entry.flags().has_value());
    EXPECT_EQ(*entry.flags(), GetParam().expected);
    const bool invisible = (GetParam().fdFlags & 0x4000) != 0;
    EXPECT_EQ(entry.isInvisible(), invisible);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MFSFinderFlags,
    ::testing::Values(
        FlagsCase{0x0000, {}}, FlagsCase{0x4000, {FinderFlag::kIsInvisible}},
        FlagsCase{0x2100, {FinderFlag::kHasBeenInited, FinderFlag::kHasBundle}},
        FlagsCase{0x3100, {FinderFlag::kHasBeenInited, FinderFlag::kNameLocked, FinderFlag::kHasBundle}},
        FlagsCase{0x000E, {FinderFlag::kColor}}, FlagsCase{0x0002, {}},  // part of the colour is no colour
        FlagsCase{0x0001, {FinderFlag::kIsOnDesk}},
        // Every bit: every mask, never the two folder numbers.
        FlagsCase{0xFFFF,
                  {FinderFlag::kIsOnDesk, FinderFlag::kColor, FinderFlag::kIsShared, FinderFlag::kHasNoINITs,
                   FinderFlag::kHasBeenInited, FinderFlag::kHasCustomIcon, FinderFlag::kIsStationery,
                   FinderFlag::kNameLocked, FinderFlag::kHasBundle, FinderFlag::kIsInvisible, FinderFlag::kIsAlias}}),
    testing::namedBy([](const FlagsCase& c) {
        char name[16];
        std::snprintf(name, sizeof name, "fdFlags 0x%04X", static_cast<unsigned>(c.fdFlags));
        return std::string(name);
    }));

// ---------------------------------------------------------------------------
// The directory walk

MFSEntryFields named(const std::string& name, int64_t flags = 0x80) {
    MFSEntryFields fields;
    fields.name = name;
    fields.flags = flags;
    return fields;
}

struct WalkCase {
    const char* label;
    // Entries per directory sector.
    std::vector<std::vector<MFSEntryFields>> sectors;
    int64_t numberOfEntries;
    // Bytes of directory handed to the walk; 0: all the sectors.
    int64_t directoryBytes;
    std::vector<std::string> expected;
};

class MFSFileDirectoryWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(MFSFileDirectoryWalk, ListsTheEntriesInDirectoryOrder) {
    const WalkCase& walk = GetParam();
    Bytes bytes;
    for (const auto& sector : walk.sectors) {
        const size_t start = bytes.size();
        for (const MFSEntryFields& fields : sector) {
            const Bytes entry = mfsEntryBytes(fields);
            bytes.insert(bytes.end(), entry.begin(), entry.end());
        }
        bytes.resize(start + 512, 0);
    }
    if (walk.directoryBytes > 0) bytes.resize(static_cast<size_t>(walk.directoryBytes));

    const MFSFileDirectory directory(ImageBytes(bytes), walk.numberOfEntries);
    std::vector<std::string> names;
    for (const MFSFileDirectoryEntry& entry : directory.entries) names.push_back(entry.flNam);
    EXPECT_EQ(names, walk.expected);
}

std::vector<MFSEntryFields> numbered(const std::string& prefix, int count) {
    std::vector<MFSEntryFields> entries;
    for (int i = 1; i <= count; ++i) entries.push_back(named(prefix + std::to_string(i)));
    return entries;
}

std::vector<std::string> numberedNames(const std::string& prefix, int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MFSFileDirectoryWalk,
    ::testing::Values(
        // 57 bytes padded to 58, then 56, then 62: entries at 0, 58 and 114.
        WalkCase{"names of 6 5 and 11 characters", {{named("Finder"), named("Notes"), named("Scrapbook F")}}, 3, 0,
                 {"Finder", "Notes", "Scrapbook F"}},
        WalkCase{"eight then three in the next sector", {numbered("A", 8), numbered("B", 3)}, 11, 0,
                 joined(numberedNames("A", 8), numberedNames("B", 3))},
        WalkCase{"no entries asked for", {numbered("A", 3)}, 0, 0, {}},
        WalkCase{"negative count", {numbered("A", 3)}, -1, 0, {}},
        WalkCase{"fewer entries than announced", {numbered("A", 2), {}, numbered("C", 1)}, 40, 0,
                 {"A1", "A2", "C1"}},
        WalkCase{"count reached before the end", {numbered("A", 5)}, 2, 0, {"A1", "A2"}},
        WalkCase{"flags 0x81 read like 0x80", {{named("one", 0x81), named("two", 0xFF)}}, 2, 0, {"one", "two"}},
        WalkCase{"flags 0x7F end the sector", {{named("one"), named("gone", 0x7F), named("also gone")}, {named("next")}},
                 3, 0, {"one", "next"}},
        WalkCase{"empty sectors skipped", {{}, {}, {}, numbered("D", 1)}, 1, 0, {"D1"}},
        // "whole" takes 56 bytes; "cut short" 60, one of which is missing.
        WalkCase{"an entry cut by the end", {{named("whole"), named("cut short")}}, 2, 56 + 59, {"whole"}},
        // "fits" takes 55 bytes and its pad byte, which is not needed.
        WalkCase{"an entry ending at the last byte", {{named("whole"), named("fits")}}, 2, 56 + 55, {"whole", "fits"}},
        WalkCase{"fixed part cut", {{named("whole"), named("x")}}, 2, 56 + 40, {"whole"}},
        WalkCase{"a lone flags byte", {{named("gone")}}, 1, 1, {}}),
    testing::namedBy(&WalkCase::label));

TEST(MFSFileDirectoryWalk, EmptyBytesGiveNoEntries) {
    EXPECT_TRUE(MFSFileDirectory(ImageBytes(), 5).entries.empty());
}

}  // namespace
}  // namespace zorv
