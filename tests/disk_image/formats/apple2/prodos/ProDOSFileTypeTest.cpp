// The ProDOS file type table: descriptions by file type and auxiliary type,
// and file-name extensions.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "disk_image/formats/apple2/prodos/ProDOSFileType.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

struct DescriptionCase {
    int64_t fileType;
    int64_t auxType;
    std::string description;
};

class ProDOSFileTypeDescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(ProDOSFileTypeDescriptionTest, Describes) {
    EXPECT_EQ(ProDOSFileType(GetParam().fileType, GetParam().auxType).description(), GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
        ProDOSFileType, ProDOSFileTypeDescriptionTest,
        ::testing::Values(DescriptionCase{0x04, 0x0000, "ASCII text"},
                          // No row for the pair: the type's general row.
                          DescriptionCase{0x04, 0x2000, "ASCII text"},
                          DescriptionCase{0x08, 0x4000, "Packed Hi-Res image"},
                          DescriptionCase{0x08, 0x1234, "Apple II or III graphics"},
                          DescriptionCase{0xFC, 0x0801, "AppleSoft BASIC program"},
                          DescriptionCase{0xFF, 0x2000, "ProDOS 8 system application"},
                          // Texts stay as listed, cut off or misspelt.
                          DescriptionCase{0xC5, 0xC000, "Design Your Own Home: Architecture docum"},
                          DescriptionCase{0x40, 0x0000, "Dictionnary file"},
                          DescriptionCase{0x53, 0x8010, "AppleWorks GS Graphics Destop Publishing"},
                          // One text under two keys.
                          DescriptionCase{0x53, 0x8002, "Graphic Disk Labeler document"},
                          DescriptionCase{0x54, 0x8002, "Graphic Disk Labeler document"},
                          DescriptionCase{0x44, 0xBEEF, "Table Scraps Scrapbook"},
                          DescriptionCase{0xE2, 0xFFFF, "EasyMount document"},
                          // Types without a general row.
                          DescriptionCase{0x46, 0x8001, "AutoSave profiles"},
                          DescriptionCase{0x46, 0x0000, "ProDOS file type $46"},
                          DescriptionCase{0x0D, 0x0000, "ProDOS file type $0D"},
                          DescriptionCase{0xE1, 0x1234, "ProDOS file type $E1"}),
        testing::namedBy([](const DescriptionCase& c) {
            char name[24];
            std::snprintf(name, sizeof name, "type %02X aux %04X", static_cast<unsigned>(c.fileType),
                          static_cast<unsigned>(c.auxType));
            return std::string(name);
        }));

TEST(ProDOSFileTypeTest, TableHoldsEveryRowOnce) {
    const auto& rows = ProDOSFileType::descriptionRows;
    EXPECT_EQ(rows.size(), 313u);
    std::set<int64_t> keys;
    std::set<int64_t> types;
    std::set<int64_t> typesWithGeneralRow;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        const int64_t key = row.fileType << 16 | row.auxiliaryType;
        EXPECT_TRUE(keys.insert(key).second) << "duplicate key " << key;
        if (i > 0) {
            EXPECT_LT(rows[i - 1].fileType << 16 | rows[i - 1].auxiliaryType, key) << "rows out of order";
        }
        EXPECT_NE(std::string(row.text), "");
        types.insert(row.fileType);
        if (row.auxiliaryType == 0) typesWithGeneralRow.insert(row.fileType);
    }
    EXPECT_EQ(types.size(), 110u);
    EXPECT_EQ(typesWithGeneralRow.size(), 109u);
    EXPECT_EQ(types.count(0x46), 1u);
    EXPECT_EQ(typesWithGeneralRow.count(0x46), 0u);
}

TEST(ProDOSFileTypeTest, Extensions) {
    const std::vector<std::pair<int64_t, std::string>> withExtension{
            {0x01, ".BAD"}, {0x04, ".TXT"}, {0x06, ".BIN"}, {0x19, ".ADB"}, {0x1A, ".AWP"}, {0x1B, ".ASP"},
            {0xEF, ".PAS"}, {0xF0, ".CMD"}, {0xFC, ".BAS"}, {0xFD, ".VAR"}, {0xFE, ".REL"}, {0xFF, ".SYS"}};
    std::set<int64_t> listed;
    for (const auto& [type, extension] : withExtension) {
        EXPECT_EQ(ProDOSFileType(type, 0x1234).fileExtension(), extension);
        listed.insert(type);
    }
    for (int64_t type = 0; type < 256; ++type) {
        if (!listed.count(type)) {
            EXPECT_EQ(ProDOSFileType(type, 0).fileExtension(), "") << type;
        }
    }
}

}  // namespace
}  // namespace zorv
