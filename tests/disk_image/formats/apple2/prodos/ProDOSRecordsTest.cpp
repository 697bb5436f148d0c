// The records of a ProDOS directory: storage types, the volume directory
// header, subdirectory headers, file entries and the fork entries of
// extended files.

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSStorageType.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeader.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeaderError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeFileEntry.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeSubdirectoryHeader.hpp"
#include "ProDOSImageBuilder.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ProDOSEntryFields;
using testing::ProDOSImageBuilder;

// 39 bytes: the first byte, then the name field, then zeros.
Bytes entryBytes(uint8_t first, const std::string& nameField) {
    Bytes bytes(39, 0);
    bytes[0] = first;
    std::copy(nameField.begin(), nameField.end(), bytes.begin() + 1);
    return bytes;
}

// A file entry's bytes as the builder writes them.
Bytes fileEntryBytes(const ProDOSEntryFields& fields) {
    ProDOSImageBuilder builder(8);
    builder.putEntry(6, 0, fields);
    return Bytes(builder.at(6, 4), builder.at(6, 4 + 39));
}

TEST(ProDOSStorageTypeTest, NibblesNameTheirCases) {
    const std::vector<std::pair<int64_t, std::optional<ProDOSStorageType>>> cases{
            {0x0, ProDOSStorageType::deleted},
            {0x1, ProDOSStorageType::seedling},
            {0x2, ProDOSStorageType::sapling},
            {0x3, ProDOSStorageType::tree},
            {0x4, ProDOSStorageType::pascalArea},
            {0x5, ProDOSStorageType::extendedFile},
            {0x6, std::nullopt},
            {0xC, std::nullopt},
            {0xD, ProDOSStorageType::subdirectory},
            {0xE, ProDOSStorageType::subdirectoryHeader},
            {0xF, ProDOSStorageType::volumeDirectoryHeader},
            {0x10, std::nullopt},
            {-1, std::nullopt}};
    for (const auto& [nibble, expected] : cases) {
        EXPECT_EQ(proDOSStorageType(nibble), expected) << nibble;
        EXPECT_EQ(proDOSStorageTypeOrDeleted(nibble), expected.value_or(ProDOSStorageType::deleted)) << nibble;
        if (expected) {
            EXPECT_EQ(rawValue(*expected), nibble);
        }
    }
}

TEST(ProDOSVolumeDirectoryHeaderTest, ReadsAHeader) {
    const testing::ScopedTimeZone zone("UTC");
    Bytes bytes = entryBytes(0xF8, "UNTITLED");
    const Bytes tail{0xCF, 0x2E, 0x1E, 0x0E, 0x01, 0x02, 0xC3, 0x27, 0x0D, 0x05, 0x00, 0x06, 0x00, 0x40, 0x06};
    std::copy(tail.begin(), tail.end(), bytes.begin() + 24);
    bytes.push_back(0xFF);  // bytes after the header are not read

    const ProDOSVolumeDirectoryHeader header{ImageBytes(bytes)};
    EXPECT_EQ(header.storageType, ProDOSStorageType::volumeDirectoryHeader);
    EXPECT_EQ(header.nameLength, 8);
    EXPECT_EQ(header.name, "UNTITLED");
    EXPECT_EQ(header.creationDate->secondsSince1970, 1686839400);  // 2023-06-15 14:30 UTC
    EXPECT_EQ(header.version, 1);
    EXPECT_EQ(header.minVersion, 2);
    EXPECT_EQ(header.access, 0xC3);
    EXPECT_EQ(header.entryLength, 39);
    EXPECT_EQ(header.entriesPerBlock, 13);
    EXPECT_EQ(header.fileCount, 5);
    EXPECT_EQ(header.bitmapPointer, 6);
    EXPECT_EQ(header.totalBlocks, 1600);
}

TEST(ProDOSVolumeDirectoryHeaderTest, NameEndsAtItsLength) {
    // A name shortened in place: "DIRTEST0" with a length of 7.
    EXPECT_EQ(ProDOSVolumeDirectoryHeader(ImageBytes(entryBytes(0xF7, "DIRTEST0"))).name, "DIRTEST");
    EXPECT_EQ(ProDOSVolumeDirectoryHeader(ImageBytes(entryBytes(0xF0, "GONE"))).name, "");
}

struct RefusedHeaderCase {
    uint8_t first;
    std::string nameField;
    ProDOSVolumeDirectoryHeaderError::Case error;
};

class ProDOSVolumeDirectoryHeaderRefusalTest : public ::testing::TestWithParam<RefusedHeaderCase> {};

TEST_P(ProDOSVolumeDirectoryHeaderRefusalTest, Refuses) {
    try {
        ProDOSVolumeDirectoryHeader{ImageBytes(entryBytes(GetParam().first, GetParam().nameField))};
        ADD_FAILURE() << "read as a header";
    } catch (const ProDOSVolumeDirectoryHeaderError& error) {
        EXPECT_EQ(error.errorCase, GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
        ProDOSVolumeDirectoryHeader, ProDOSVolumeDirectoryHeaderRefusalTest,
        ::testing::Values(
                RefusedHeaderCase{0xE5, "SUBDI", ProDOSVolumeDirectoryHeaderError::Case::invalidStorageType},
                RefusedHeaderCase{0x65, "HELLO", ProDOSVolumeDirectoryHeaderError::Case::invalidStorageType},
                RefusedHeaderCase{0x05, "HELLO", ProDOSVolumeDirectoryHeaderError::Case::invalidStorageType},
                RefusedHeaderCase{0xF5, "H\xC5LLO", ProDOSVolumeDirectoryHeaderError::Case::nonASCIIName},
                // The whole field counts, past the name length too.
                RefusedHeaderCase{0xF5, "HELLO\x80", ProDOSVolumeDirectoryHeaderError::Case::nonASCIIName},
                RefusedHeaderCase{0xF0, std::string(14, '\0') + "\xFF",
                                  ProDOSVolumeDirectoryHeaderError::Case::nonASCIIName}),
        testing::namedBy([](const RefusedHeaderCase& c) {
            return "byte " + hexFormatNo0Padding(c.first) + " then " + c.nameField;
        }));

TEST(ProDOSVolumeDirectoryHeaderTest, NeedsThirtyNineBytes) {
    EXPECT_THROW(ProDOSVolumeDirectoryHeader(ImageBytes(Bytes(38, 0xF0))), ReadPastEndError);
}

TEST(ProDOSVolumeDirectoryHeaderTest, EncodesANewVolumeHeader) {
    ProDOSVolumeDirectoryHeader header;
    header.totalBlocks = 280;
    header.creationDate = Date{1686839400};  // not written
    const std::vector<Bytes> chunks = header.dataBlockArray();
    EXPECT_EQ(chunks.size(), 13u);
    const Bytes bytes = header.dataBlock();
    ASSERT_EQ(bytes.size(), 508u);

    Bytes expected(508, 0);
    const Bytes start{0xF8, 'U', 'N', 'T', 'I', 'T', 'L', 'E', 'D'};
    std::copy(start.begin(), start.end(), expected.begin());
    const Bytes tail{0x00, 0x00, 0x63, 0x27, 0x0D, 0x00, 0x00, 0x06, 0x00, 0x18, 0x01};
    std::copy(tail.begin(), tail.end(), expected.begin() + 28);
    EXPECT_EQ(bytes, expected);

    // Read back.
    const ProDOSVolumeDirectoryHeader reread{ImageBytes(bytes)};
    EXPECT_EQ(reread.name, "UNTITLED");
    EXPECT_EQ(reread.totalBlocks, 280);
    EXPECT_EQ(reread.access, 0x63);

    header.name = "A.LONGER.NAME";
    header.nameLength = 13;
    EXPECT_EQ(header.dataBlock().size(), 508u);
}

TEST(ProDOSVolumeSubdirectoryHeaderTest, ReadsEveryField) {
    Bytes bytes = entryBytes(0xE7, "SUBDIR1");
    const Bytes tail{0, 0, 0, 0, 0x00, 0x00, 0xC3, 0x27, 0x0D, 0x10, 0x00, 0x02, 0x00, 0x01, 0x27};
    std::copy(tail.begin(), tail.end(), bytes.begin() + 24);
    const ProDOSVolumeSubdirectoryHeader header{ImageBytes(bytes)};
    EXPECT_EQ(header.storageType, ProDOSStorageType::subdirectoryHeader);
    EXPECT_EQ(header.subdirName, "SUBDIR1");
    EXPECT_EQ(header.access, 0xC3);
    EXPECT_EQ(header.entryLength, 0x27);
    EXPECT_EQ(header.entriesPerBlock, 0x0D);
    EXPECT_EQ(header.fileCount, 16);
    EXPECT_EQ(header.parentPointer, 2);
    EXPECT_EQ(header.parentEntry, 1);
    EXPECT_EQ(header.parentEntryLength, 0x27);
    EXPECT_EQ(header.dataBlock(), Bytes(39, 0));

    EXPECT_EQ(ProDOSVolumeSubdirectoryHeader(ImageBytes(entryBytes(0x87, "WHATEVER"))).storageType,
              ProDOSStorageType::deleted);
}

TEST(ProDOSVolumeFileEntryTest, ReadsEveryField) {
    const testing::ScopedTimeZone zone("UTC");
    ProDOSEntryFields fields;
    fields.storageType = 2;
    fields.name = "BASIC.SYSTEM";
    fields.fileType = 0xFF;
    fields.keyPointer = 46;
    fields.blocksUsed = 21;
    fields.eof = 0x011234;
    fields.created = {0xCF, 0x2E, 0x1E, 0x0E};
    fields.modified = {0x99, 0xB3, 0x05, 0x09};
    fields.version = 0x24;
    fields.minVersion = 0x01;
    fields.access = 0x21;
    fields.auxType = 0x2000;
    fields.headerPointer = 7;
    const ProDOSVolumeFileEntry entry(ImageBytes(fileEntryBytes(fields)), nullptr);

    EXPECT_EQ(entry.storageType, ProDOSStorageType::sapling);
    EXPECT_EQ(entry.nameLength, 12);
    EXPECT_EQ(entry.fileName, "BASIC.SYSTEM");
    EXPECT_EQ(entry.internalFileType, 0xFF);
    EXPECT_EQ(entry.keyPointer, 46);
    EXPECT_EQ(entry.blocksUsed, 21);
    EXPECT_EQ(entry.eof, 70196);  // 4,660 + 65,536
    EXPECT_EQ(entry.creaDate->secondsSince1970, 1686839400);
    EXPECT_EQ(entry.lastMod->secondsSince1970, 630579900);  // 1989-12-25 09:05 UTC
    EXPECT_EQ(entry.version, 0x24);
    EXPECT_EQ(entry.minVersion, 0x01);
    EXPECT_EQ(entry.access, 0x21);
    EXPECT_EQ(entry.auxType, 0x2000);
    EXPECT_EQ(entry.headerPointer, 7);
    EXPECT_FALSE(entry.dataFork);
    EXPECT_FALSE(entry.resourceFork);
    EXPECT_EQ(entry.dataBlock(), Bytes(39, 0));
}

TEST(ProDOSVolumeFileEntryTest, UnknownNibbleReadsAsDeleted) {
    const ProDOSVolumeFileEntry entry(ImageBytes(entryBytes(0x75, "HELLO")), nullptr);
    EXPECT_EQ(entry.storageType, ProDOSStorageType::deleted);
    EXPECT_EQ(entry.nameLength, 5);
}

TEST(ProDOSVolumeFileEntryTest, NameEndsAtItsLength) {
    ProDOSEntryFields fields;
    fields.name = "LONGNAME";
    fields.nameLength = 4;
    EXPECT_EQ(ProDOSVolumeFileEntry(ImageBytes(fileEntryBytes(fields)), nullptr).fileName, "LONG");
}

TEST(ProDOSVolumeFileEntryTest, ExtendedFileReadsItsForkEntries) {
    ProDOSImageBuilder builder(40);
    // Data fork: a sapling at 16, 3 blocks, 1,024 bytes; resource fork: a
    // seedling at 20, 1 block, 300 bytes.
    const Bytes data{0x02, 0x10, 0x00, 0x03, 0x00, 0x00, 0x04, 0x00};
    const Bytes resource{0x11, 0x14, 0x00, 0x01, 0x00, 0x2C, 0x01, 0x00};
    std::copy(data.begin(), data.end(), builder.at(30, 0));
    std::copy(resource.begin(), resource.end(), builder.at(30, 256));
    ProDOSEntryFields fields;
    fields.storageType = 5;
    fields.keyPointer = 30;
    fields.blocksUsed = 5;
    fields.eof = 512;
    const Bytes bytes = fileEntryBytes(fields);

    const ProDOSDisk disk{ImageBytes(builder.image)};
    const ProDOSVolumeFileEntry entry(ImageBytes(bytes), &disk);
    ASSERT_TRUE(entry.dataFork && entry.resourceFork);
    EXPECT_EQ(entry.dataFork->storageType, ProDOSStorageType::sapling);
    EXPECT_EQ(entry.dataFork->keyPointer, 16);
    EXPECT_EQ(entry.dataFork->blocksUsed, 3);
    EXPECT_EQ(entry.dataFork->eof, 1024);
    EXPECT_EQ(entry.resourceFork->storageType, ProDOSStorageType::seedling) << "the low nibble counts";
    EXPECT_EQ(entry.resourceFork->keyPointer, 20);
    EXPECT_EQ(entry.resourceFork->eof, 300);
    EXPECT_EQ(entry.dataFork->dataBlock(), Bytes(256, 0));

    EXPECT_EQ(entry.logicalSizeInBytes(), 1324);
    EXPECT_EQ(entry.physicalSizeInBytes(), 4 * 512);

    // The key block in DOS order is found through the disk's order.
    const ProDOSDisk dosDisk{ImageBytes(builder.dosOrdered())};
    ASSERT_FALSE(dosDisk.proDOSOrder);
    const ProDOSVolumeFileEntry fromDOS(ImageBytes(bytes), &dosDisk);
    ASSERT_TRUE(fromDOS.dataFork);
    EXPECT_EQ(fromDOS.dataFork->keyPointer, 16);

    try {
        ProDOSVolumeFileEntry(ImageBytes(bytes), nullptr);
        ADD_FAILURE() << "an extended file was read without its disk";
    } catch (const ProDOSVolumeError& error) {
        EXPECT_EQ(error.errorCase, ProDOSVolumeError::Case::diskNotFound);
    }

    // A key block beyond the image leaves the forks out.
    fields.keyPointer = 40;
    const ProDOSVolumeFileEntry beyond(ImageBytes(fileEntryBytes(fields)), &disk);
    EXPECT_FALSE(beyond.dataFork);
    EXPECT_FALSE(beyond.resourceFork);
    EXPECT_EQ(beyond.logicalSizeInBytes(), 512);
    EXPECT_EQ(beyond.physicalSizeInBytes(), 5 * 512);
}

TEST(ProDOSVolumeFileEntryTest, ForkAsAnEntryOfItsOwn) {
    ProDOSVolumeFileEntry::MiniEntry fork{ImageBytes(Bytes{0x03, 0x22, 0x01, 0x07, 0x00, 0x00, 0x00, 0x02})};
    const ProDOSVolumeFileEntry entry = ProDOSVolumeFileEntry::forFork(fork);
    EXPECT_EQ(entry.storageType, ProDOSStorageType::tree);
    EXPECT_EQ(entry.keyPointer, 0x122);
    EXPECT_EQ(entry.blocksUsed, 7);
    EXPECT_EQ(entry.eof, 0x020000);
    EXPECT_EQ(entry.fileName, "");
    EXPECT_EQ(entry.internalFileType, 0);
    EXPECT_EQ(entry.headerPointer, 0);
    EXPECT_FALSE(entry.dataFork);
}

struct ItemCase {
    int fileType;
    int auxType;
    std::string kind;
    std::string type;
    std::string extension;
    std::string otherInfo;
};

class ProDOSVolumeFileEntryItemTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(ProDOSVolumeFileEntryItemTest, DescribesItsType) {
    ProDOSEntryFields fields;
    fields.name = "HELLO.TXT";  // the name is not looked at for the extension
    fields.fileType = GetParam().fileType;
    fields.auxType = GetParam().auxType;
    const ProDOSVolumeFileEntry entry(ImageBytes(fileEntryBytes(fields)), nullptr);
    EXPECT_EQ(entry.kind(), GetParam().kind);
    ASSERT_TRUE(entry.type());
    EXPECT_EQ(entry.type()->string(), GetParam().type);
    EXPECT_EQ(entry.fileExtension(), GetParam().extension);
    EXPECT_EQ(entry.otherInfo(), GetParam().otherInfo);
    EXPECT_FALSE(entry.creator());
    EXPECT_FALSE(entry.flags());
    EXPECT_FALSE(entry.isInvisible());
    EXPECT_TRUE(entry.isExportable());
}

INSTANTIATE_TEST_SUITE_P(
        ProDOSVolumeFileEntry, ProDOSVolumeFileEntryItemTest,
        ::testing::Values(ItemCase{0x04, 0x0000, "ASCII text", "TEXT", ".TXT", "File type: $04\nAuxilliary: $0000"},
                          ItemCase{0xFC, 0x0801, "AppleSoft BASIC program", "TEXT", ".BAS",
                                   "File type: $FC\nAuxilliary: $0801"},
                          ItemCase{0x06, 0x2000, "Binary", "????", ".BIN", "File type: $06\nAuxilliary: $2000"},
                          ItemCase{0xC8, 0x0001, "TrueType font", "????", "", "File type: $C8\nAuxilliary: $0001"},
                          ItemCase{0x9A, 0xBEEF, "ProDOS file type $9A", "????", "",
                                   "File type: $9A\nAuxilliary: $BEEF"}),
        testing::namedBy([](const ItemCase& c) {
            char name[24];
            std::snprintf(name, sizeof name, "type %02X aux %04X", static_cast<unsigned>(c.fileType),
                          static_cast<unsigned>(c.auxType));
            return std::string(name);
        }));

TEST(ProDOSVolumeFileEntryTest, SubdirectoryIsAFolder) {
    ProDOSEntryFields fields;
    fields.storageType = 0xD;
    fields.fileType = 0x0F;
    EXPECT_TRUE(ProDOSVolumeFileEntry(ImageBytes(fileEntryBytes(fields)), nullptr).isFolder());
    fields.storageType = 0x1;
    EXPECT_FALSE(ProDOSVolumeFileEntry(ImageBytes(fileEntryBytes(fields)), nullptr).isFolder());
}

TEST(ProDOSBlockTest, ReadsAndWritesItsPointers) {
    Bytes bytes(512, 0xAB);
    bytes[0] = 0x02;
    bytes[1] = 0x01;
    bytes[2] = 0x05;
    bytes[3] = 0x00;
    const ProDOSBlock block{ImageBytes(bytes)};
    EXPECT_EQ(block.previousBlock, 0x102);
    EXPECT_EQ(block.nextBlock, 5);
    EXPECT_EQ(block.blockData.size(), 508u);
    EXPECT_EQ(block.dataBlock(), bytes);
    EXPECT_THROW(ProDOSBlock(ImageBytes(Bytes(3, 0))), ReadPastEndError);
    EXPECT_THROW(ProDOSBlock(65536, 0, ImageBytes()).dataBlock(), FieldEncodingError);
}

}  // namespace
}  // namespace zorv
