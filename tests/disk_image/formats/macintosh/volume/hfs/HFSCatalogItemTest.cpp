#include <gtest/gtest.h>

#include <string>

#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogItem.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/HfsCatalogRecordBytes.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

// An HFS item reads what the walk and the reports need straight from its
// record's bytes; every answer must be the one of the whole leaf record.
namespace zorv {
namespace {

void expectItemsAnswerAsTheirRecords(const HFSCatalogFile& catalog) {
    // Daylight-saving time moves local dates: both readings must agree on it.
    const testing::ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    CodableVolumeItem reused;  // filled for each item in turn, as the report does
    for (size_t position = 0; position < catalog.leafCount(); ++position) {
        const HFSCatalogItem item(catalog.leafRecord(position));
        const HFSCatalogLeafRecord leaf = catalog.leaf(position);
        SCOPED_TRACE("leaf " + std::to_string(position) + " \"" + leaf.name() + "\"");
        EXPECT_EQ(item.name(), leaf.name());
        EXPECT_EQ(item.isFolder(), leaf.isFolder());
        EXPECT_EQ(item.leafType(), leaf.leafType());
        EXPECT_EQ(item.itemIdentifier(), leaf.itemIdentifier());
        EXPECT_EQ(item.parentID(), leaf.key.parentID);
        EXPECT_EQ(item.generateCodableAtLevel(3), leaf.generateCodableAtLevel(3));
        item.fillCodableAtLevel(3, reused);
        EXPECT_EQ(reused, leaf.generateCodableAtLevel(3));
    }
}

class HFSCatalogItemCorpusTest : public ::testing::TestWithParam<const char*> {};

TEST_P(HFSCatalogItemCorpusTest, EveryLeafAnswersAsItsRecord) {
    const auto image = testing::corpusImage(GetParam());
    if (!image) GTEST_SKIP() << "corpus image " << GetParam() << " is absent";
    const HFSVolume volume(*image);
    ASSERT_TRUE(volume.catalogFile());
    expectItemsAnswerAsTheirRecords(*volume.catalogFile());
}

INSTANTIATE_TEST_SUITE_P(Corpus, HFSCatalogItemCorpusTest,
                         ::testing::Values("hfs/cp2-simple-gsos.po", "hfs/hr-importfl-1.2.2.dsk",
                                           "hfs/im-System_3.3.dsk", "hfs/im-System_6.0.8_System_Startup.img",
                                           "hfs/cp2-simple-linux.po"),
                         testing::namedBy());

TEST(HFSCatalogItem, ThreadsUnknownAndShortRecordsAnswerAsTheirRecords) {
    using testing::hfsCatalogRecord;
    testing::BTreeFileBuilder builder;
    const Bytes shortFile = testing::ByteBuilder().u8(2).u8(0).zeros(40);
    const Bytes shortFolder = testing::ByteBuilder().u8(1).u8(0).zeros(30);
    builder.addLeafChain({{
        hfsCatalogRecord(1, "Disk", testing::hfsFolderData(2, 4)),
        hfsCatalogRecord(2, "", testing::hfsThreadData(3, 1, "Disk")),
        hfsCatalogRecord(2, "f.txt", testing::hfsFileData(18, "TEXT", "ttxt", 1000)),
        hfsCatalogRecord(2, "short file", shortFile),
        hfsCatalogRecord(2, "short folder", shortFolder),
        hfsCatalogRecord(2, "zz", testing::ByteBuilder().u8(9).u8(0).zeros(20)),
        hfsCatalogRecord(18, "", testing::hfsThreadData(4, 2, "f.txt")),
    }});
    expectItemsAnswerAsTheirRecords(HFSCatalogFile(ImageBytes(builder.build()), 512));
}

}  // namespace
}  // namespace zorv
