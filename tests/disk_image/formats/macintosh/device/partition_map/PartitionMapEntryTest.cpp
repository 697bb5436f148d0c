#include <gtest/gtest.h>

#include <random>

#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using Case = PartitionType::Case;
using testing::ByteBuilder;

const std::vector<int64_t> defaultTrailer{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0};

// A text field as the record holds it: the characters, then zeros.
Bytes field(std::string_view text, size_t width) {
    Bytes bytes(text.begin(), text.end());
    bytes.resize(width, 0);
    return bytes;
}

struct Record {
    int64_t mapCount = 0;
    int64_t start = 0;
    int64_t size = 0;
    std::string name;
    Bytes type;  // the 32 bytes of the type field
    int64_t status = 0;
    int64_t bootSize = 0;
    int64_t checksum = 0;
    std::string processor;
    std::vector<int64_t> trailer;
    size_t blockSize = 512;
};

// The entry's block as the record lays it out.
Bytes block(const Record& r) {
    ByteBuilder b;
    b.text("PM").u16(0).u32(r.mapCount).u32(r.start).u32(r.size);
    b.bytes(field(r.name, 32)).bytes(r.type);
    b.u32(0).u32(r.size).u32(r.status).u32(0).u32(r.bootSize).u32(0).u32(0).u32(0).u32(0).u32(r.checksum);
    b.bytes(field(r.processor, 16));
    for (int64_t value : r.trailer) b.u8(value);
    b.zeros(r.blockSize - b.size());
    return b;
}

Bytes typeField(std::string_view text) { return field(text, 32); }

PartitionMapEntry read(const Bytes& bytes) { return PartitionMapEntry{ImageBytes(bytes)}; }

std::optional<PartitionMapEntryError> readError(const Bytes& bytes) {
    try {
        read(bytes);
    } catch (const PartitionMapEntryError& error) {
        return error;
    }
    return std::nullopt;
}

// Each kind of new entry, byte for byte: the values the builder fixes per
// type and those it takes from the type.
TEST(PartitionMapEntry, NewEntriesByteForByte) {
    const struct {
        const char* what;
        PartitionType type;
        Record expected;
    } cases[] = {
        {"map", PartitionType::applePartitionMap(1, 63),
         {4, 1, 63, "Apple", typeField("Apple_partition_map"), 0x37, 0, 0, "", {}}},
        {"driver 4.3", PartitionType::appleDriver43(64, 32, defaultTrailer),
         {4, 64, 32, "Macintosh", typeField("Apple_Driver43"), 0x7F, 9392, 0xF624, "68000", defaultTrailer}},
        {"old driver", PartitionType::appleDriver(64, 32, "Macintosh_SL"),
         {4, 64, 32, "Macintosh_SL", typeField("Apple_Driver"), 0x7F, 0, 0, "68000", {}}},
        {"HFS", PartitionType::appleHFS(96, 65535, "Macintosh HD"),
         {4, 96, 65535, "Macintosh HD", typeField("Apple_HFS"), 0xB7, 0, 0, "", {}}},
        {"MFS", PartitionType::appleMFS(96, 800, "Old Disk"),
         {4, 96, 800, "Old Disk", typeField("Apple_MFS"), 0xB7, 0, 0, "", {}}},
        {"ProDOS", PartitionType::applePRODOS(65631, 40000, "PRODOS"),
         {4, 65631, 40000, "PRODOS", typeField("Apple_PRODOS"), 0x37, 0, 0, "", {}}},
        // Located like a ProDOS volume, so that its blocks can be found.
        {"A/UX", PartitionType::appleUnixSVR2(96, 20000, "A/UX Root"),
         {4, 96, 20000, "A/UX Root", typeField("Apple_Unix_SVR2"), 0x37, 0, 0, "", {}}},
        {"free", PartitionType::appleFree(200, 10), {4, 200, 10, "Extra", typeField("Apple_Free"), 0x37, 0, 0, "", {}}},
        {"IO Kit", PartitionType(Case::appleDriverIOKit),
         {4, 192, 512, "Macintosh", typeField("Apple_Driver_IOKit"), 0, 0, 0, "", {}}},
        {"patches", PartitionType(Case::applePatches),
         {4, 704, 512, "Patch Partition", typeField("Apple_Patches"), 0, 0, 0, "", {}}},
        {"void", PartitionType(Case::appleVoid), {4, 0, 0, "", typeField("Apple_Void"), 0, 0, 0, "", {}}},
        {"scratch", PartitionType(Case::appleScratch), {4, 0, 0, "", typeField("Apple_Scratch"), 0, 0, 0, "", {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PartitionMapEntry entry(c.type, 4, 512);
        const Bytes bytes = entry.dataBlock();
        ASSERT_EQ(bytes.size(), 512u);
        EXPECT_EQ(bytes, block(c.expected));
        EXPECT_EQ(entry.dataBlockArray().size(), 20u);
        EXPECT_EQ(entry.partitionType, c.type);
        EXPECT_EQ(entry.pmDataCnt, entry.pmPartBlkCnt);
    }
}

TEST(PartitionMapEntry, TrailerBytesSitAfterTheProcessor) {
    const Bytes driver = PartitionMapEntry(PartitionType::appleDriver43(64, 32, defaultTrailer), 4, 512).dataBlock();
    EXPECT_EQ(Bytes(driver.begin() + 136, driver.begin() + 152), Bytes({0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0}));
    EXPECT_TRUE(std::all_of(driver.begin() + 152, driver.end(), [](uint8_t byte) { return byte == 0; }));

    const Bytes hfs = PartitionMapEntry(PartitionType::appleHFS(96, 100, "HD"), 4, 512).dataBlock();
    EXPECT_TRUE(std::all_of(hfs.begin() + 136, hfs.end(), [](uint8_t byte) { return byte == 0; }));
}

TEST(PartitionMapEntry, TypeFieldDecoding) {
    const struct {
        Bytes field;
        std::optional<Case> expected;
    } cases[] = {
        {typeField("Apple_HFS"), Case::appleHFS},
        {typeField("Apple_HFS and more"), Case::appleHFS},
        {typeField("  Apple_HFS"), Case::appleHFS},
        {ByteBuilder().text("Apple_HFS").u8(0).text("junk").zeros(18), Case::appleHFS},
        {typeField("Apple_partition_map"), Case::applePartitionMap},
        {typeField("Apple_Driver43_CD"), Case::appleDriver43CD},
        {typeField("apple_hfs"), std::nullopt},
        {typeField("Apple_HFSX"), std::nullopt},
        {typeField("Apple_Partition_Map"), std::nullopt},
        {Bytes(32, 0), std::nullopt},
    };
    for (const auto& c : cases) {
        const Bytes bytes = block({3, 10, 20, "N", c.field, 0x37, 0, 0, "", std::vector<int64_t>(16, 0)});
        const std::string text(c.field.begin(), c.field.end());
        if (c.expected) {
            const auto entry = read(bytes);
            // The placeholder of the case, whatever the entry says.
            EXPECT_EQ(entry.partitionType, PartitionType(*c.expected)) << text;
        } else {
            const auto error = readError(bytes);
            ASSERT_TRUE(error) << text;
            EXPECT_EQ(error->errorCase, PartitionMapEntryError::Case::unknownPartitionType);
            const auto end = std::find(c.field.begin(), c.field.end(), 0);
            EXPECT_EQ(error->typeString, std::string(c.field.begin(), end));
        }
    }
}

TEST(PartitionMapEntry, ReadsEveryField) {
    ByteBuilder b;
    b.text("PM").u16(0x1234).u32(5).u32(96).u32(40000).bytes(field("Macintosh HD", 32)).bytes(typeField("Apple_HFS"));
    for (int64_t value = 1; value <= 10; ++value) b.u32(value * 0x01010101);
    b.bytes(field("68020", 16));
    for (int64_t value = 0; value < 16; ++value) b.u8(value * 16);
    b.zeros(2048 - b.size());
    const auto entry = read(b);
    EXPECT_EQ(entry.pmSig, Bytes({'P', 'M'}));
    EXPECT_EQ(entry.pmSigPad, 0x1234);
    EXPECT_EQ(entry.pmMapBlkCnt, 5);
    EXPECT_EQ(entry.pmPyPartStart, 96);
    EXPECT_EQ(entry.pmPartBlkCnt, 40000);
    EXPECT_EQ(entry.pmPartName, "Macintosh HD");
    EXPECT_EQ(entry.pmParType, "Apple_HFS");
    EXPECT_EQ(entry.pmLgDataStart, 0x01010101);
    EXPECT_EQ(entry.pmDataCnt, 0x02020202);
    EXPECT_EQ(entry.pmPartStatus.rawValue, 0x03030303);
    EXPECT_EQ(entry.pmLgBootStart, 0x04040404);
    EXPECT_EQ(entry.pmBootSize, 0x05050505);
    EXPECT_EQ(entry.pmBootAddr, 0x06060606);
    EXPECT_EQ(entry.pmBootAddr2, 0x07070707);
    EXPECT_EQ(entry.pmBootEntry, 0x08080808);
    EXPECT_EQ(entry.pmBootEntry2, 0x09090909);
    EXPECT_EQ(entry.pmBootCksum, 0x0A0A0A0A);
    EXPECT_EQ(entry.pmProcessor, "68020");
    EXPECT_EQ(entry.trailer.size(), 16u);
    EXPECT_EQ(entry.trailer[15], 240);
    EXPECT_EQ(entry.physicalBlockSizeInBytes, 2048);
    EXPECT_EQ(entry.sizeInBytes(), 40000 * 2048);
    EXPECT_EQ(entry.startPhysicalBlock(), 96);
    EXPECT_EQ(entry.sizeInPhysicalBlocks(), 40000);
    EXPECT_FALSE(entry.scsiDriver.has_value());
    EXPECT_EQ(entry.associatedVolume(), nullptr);
}

TEST(PartitionMapEntry, BlocksThatCannotHoldAnEntry) {
    Bytes good = block({1, 1, 1, "Apple", typeField("Apple_partition_map"), 0x37, 0, 0, "", {}});
    Bytes wrong = good;
    wrong[1] = 'X';
    const auto error = readError(wrong);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->errorCase, PartitionMapEntryError::Case::invalidPartitionMapSignature);

    // 152 bytes (up to the trailer's end) are enough; fewer are never read past.
    EXPECT_EQ(read(Bytes(good.begin(), good.begin() + 152)).physicalBlockSizeInBytes, 152);
    for (size_t size : {0, 1, 2, 3, 80, 151}) {
        EXPECT_THROW(read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size))), ReadPastEndError)
            << size;
    }
}

// Damaged entries give an entry or one of the reader's errors, never a read
// outside the block.
TEST(PartitionMapEntry, RandomBytesNeverLeaveTheBlock) {
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        const size_t size = random() % 600;
        Bytes bytes(size);
        for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
        if (size >= 2 && round % 2 == 0) bytes[0] = 'P', bytes[1] = 'M';
        if (size >= 58 && round % 4 == 0) std::copy_n("Apple_HFS", 9, bytes.begin() + 48);
        try {
            const auto entry = read(bytes);
            EXPECT_EQ(entry.dataBlock().size(), 512u);
        } catch (const PartitionMapEntryError&) {
        } catch (const ReadPastEndError&) {
        }
    }
}

TEST(PartitionMapEntry, NamesAreCutToThirtyTwoCharacters) {
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const PartitionMapEntry entry(PartitionType::appleHFS(96, 100, forty), 3, 512);
    EXPECT_EQ(entry.pmPartName, forty.substr(0, 32));
    EXPECT_EQ(read(entry.dataBlock()).pmPartName, forty.substr(0, 32));

    // Characters, not bytes: 40 "é" are 80 bytes of UTF-8 and 40 of Mac OS Roman.
    std::string accented;
    for (int i = 0; i < 40; ++i) accented += "\xC3\xA9";
    const PartitionMapEntry roman(PartitionType::applePRODOS(96, 100, accented), 3, 512);
    EXPECT_EQ(roman.pmPartName, accented.substr(0, 64));
    EXPECT_EQ(read(roman.dataBlock()).pmPartName, accented.substr(0, 64));

    // A character of two bytes on disk ("\r\n") still leaves a 32-byte field.
    std::string lines;
    for (int i = 0; i < 20; ++i) lines += "a\r\n";
    const PartitionMapEntry cut(PartitionType::appleMFS(96, 100, lines), 3, 512);
    EXPECT_LE(cut.pmPartName.size(), 32u);
    EXPECT_EQ(cut.dataBlock().size(), 512u);

    // A name Mac OS Roman cannot hold is written as an empty field.
    const PartitionMapEntry foreign(PartitionType::appleHFS(96, 100, "\xE6\x97\xA5\xE6\x9C\xAC"), 3, 512);
    EXPECT_EQ(read(foreign.dataBlock()).pmPartName, "");
}

TEST(PartitionMapEntry, ValuesOutsideTheirFieldsAreNotWritten) {
    EXPECT_THROW(PartitionMapEntry(PartitionType::appleHFS(0x100000000LL, 1, "X"), 3, 512).dataBlock(),
                 FieldEncodingError);
    EXPECT_THROW(PartitionMapEntry(PartitionType::appleHFS(96, -1, "X"), 3, 512).dataBlock(), FieldEncodingError);
    EXPECT_THROW(PartitionMapEntry(PartitionType::appleDriver43(64, 32, {256}), 3, 512).dataBlock(),
                 FieldEncodingError);
    EXPECT_THROW(PartitionMapEntry(PartitionType::appleDriver43(64, 32, std::vector<int64_t>(377, 0)), 3, 512)
                     .dataBlock(),
                 FieldEncodingError);
    EXPECT_EQ(PartitionMapEntry(PartitionType::appleDriver43(64, 32, std::vector<int64_t>(376, 0)), 3, 512)
                  .dataBlock()
                  .size(),
              512u);
}

TEST(PartitionMapEntry, NameShownForThePartition) {
    PartitionMapEntry entry(PartitionType::appleHFS(96, 100, "On Disk"), 3, 512);
    EXPECT_EQ(entry.partitionName(), "On Disk");

    entry.scsiDriver = SCSIDriver::appleHDSC735();
    EXPECT_EQ(entry.partitionName(), "Apple HD SC 7.3.5");

    auto volume = std::make_shared<testing::FakeVolume>();
    volume->name = "Volume Name";
    entry.setVolume(volume);
    EXPECT_EQ(entry.partitionName(), "Volume Name");
    EXPECT_EQ(entry.preferredName(), "Volume Name");
    EXPECT_EQ(entry.associatedVolume(), volume);
}

TEST(PartitionMapEntry, Warnings) {
    PartitionMapEntry driver(PartitionType::appleDriver43(64, 32, defaultTrailer), 3, 512);
    EXPECT_FALSE(driver.hasWarning());
    EXPECT_FALSE(driver.isDriverPartitionEntryTrailerIncorrect());
    driver.scsiDriver = SCSIDriver::appleHDSC735();
    EXPECT_FALSE(driver.hasWarning());
    driver.scsiDriver = SCSIDriver::lido();
    EXPECT_TRUE(driver.hasWarning());

    // The incorrect trailer warns even without a recognised driver.
    PartitionMapEntry badTrailer(
        PartitionType::appleDriver43(64, 32, PartitionMapEntry::incorrectDriverPartitionTrailer()), 3, 512);
    EXPECT_TRUE(badTrailer.isDriverPartitionEntryTrailerIncorrect());
    EXPECT_TRUE(badTrailer.hasWarning());

    EXPECT_FALSE(PartitionMapEntry(PartitionType::appleHFS(96, 100, "HD"), 3, 512).hasWarning());
}

TEST(PartitionMapEntry, EmptyDriver) {
    PartitionMapEntry driver(PartitionType::appleDriver43(64, 32, defaultTrailer), 3, 512);
    EXPECT_FALSE(driver.hasEmptySCSIDriver());
    driver.scsiDriver = SCSIDriver::appleHDSC735();
    EXPECT_FALSE(driver.hasEmptySCSIDriver());
    driver.scsiDriver->driverData = ImageBytes(Bytes(16384, 0));
    EXPECT_TRUE(driver.hasEmptySCSIDriver());
}

TEST(PartitionMapEntry, ReportView) {
    const struct {
        PartitionType type;
        bool interesting;
    } cases[] = {
        {PartitionType::applePartitionMap(1, 63), false}, {PartitionType::appleDriver43(64, 32, {}), false},
        {PartitionType(Case::appleVoid), false},          {PartitionType::appleUnixSVR2(96, 10, "X"), false},
        {PartitionType::appleHFS(96, 10, "X"), true},     {PartitionType::appleMFS(96, 10, "X"), true},
        {PartitionType::applePRODOS(96, 10, "X"), true},
    };
    for (const auto& c : cases) {
        const PartitionMapEntry entry(c.type, 3, 512);
        EXPECT_EQ(entry.isInteresting(), c.interesting) << c.type.id();
        EXPECT_EQ(entry.partitionTypeLabel(), c.type.descriptiveName());
        ASSERT_TRUE(entry.partitionData().has_value());
        EXPECT_EQ(*entry.partitionData(), entry.dataBlock());
    }
}

TEST(PartStatusFlags, Description) {
    const struct {
        int64_t value;
        const char* text;
    } cases[] = {
        {0, "0 The partition "},
        {0x37, "55 The partition , is valid (A/UX), is allocated (A/UX), is in use (A/UX), is readable (A/UX), "
               "is writeable"},
        {0xB7, "183 The partition , is valid (A/UX), is allocated (A/UX), is in use (A/UX), is readable (A/UX), "
               "is writeable"},
        {0x80, "128 The partition "},
        {0x7F, "127 The partition , is valid (A/UX), is allocated (A/UX), is in use (A/UX), contains boot "
               "information (A/UX), is readable (A/UX), is writeable, has position independent boot code (A/UX)"},
        {0xC0000700, "3221227264 The partition , contains a chain-compatible driver, contains a real driver, "
                     "contains a chain driver, mounts automatically at startup, is the startup partition"},
    };
    for (const auto& c : cases) EXPECT_EQ(PartStatusFlags{c.value}.description(), c.text);
}

}  // namespace
}  // namespace zorv
