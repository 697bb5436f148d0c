// The HFS+ catalog file over B-tree files built in the test: which leaves it
// keeps, the order of a folder's children and the folder of an ID.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFileError.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/HFSPlusCatalogRecordBytes.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::hfsPlusCatalogRecord;
using testing::hfsPlusFileBody;
using testing::hfsPlusFolderBody;
using testing::hfsPlusThreadBody;

BTreeFileBuilder catalogTree() {
    BTreeFileBuilder tree;
    tree.maxKeyLength = 516;
    tree.nodeSize = 4096;
    tree.attributes = 6;  // big keys, variable-length index keys
    return tree;
}

HFSPlusCatalogFile catalogOf(const std::vector<std::vector<Bytes>>& leaves, int64_t blockSize = 512) {
    BTreeFileBuilder tree = catalogTree();
    tree.addLeafChain(leaves);
    return HFSPlusCatalogFile(ImageBytes(tree.build()), blockSize);
}

Bytes file(int64_t parentID, const std::u16string& name, int64_t fileID) {
    return hfsPlusCatalogRecord(parentID, name, hfsPlusFileBody(fileID));
}

Bytes folder(int64_t parentID, const std::u16string& name, int64_t folderID) {
    return hfsPlusCatalogRecord(parentID, name, hfsPlusFolderBody(folderID));
}

std::vector<std::string> names(const std::vector<HFSPlusCatalogLeafRecord>& leaves) {
    std::vector<std::string> result;
    for (const auto& leaf : leaves) result.push_back(leaf.nodeName());
    return result;
}

std::vector<int64_t> identifiers(const std::vector<HFSPlusCatalogLeafRecord>& leaves) {
    std::vector<int64_t> result;
    for (const auto& leaf : leaves) result.push_back(static_cast<int64_t>(leaf.itemIdentifier().value_or(0)));
    return result;
}

TEST(HFSPlusCatalogFile, KeepsEveryLeafInChainOrder) {
    const HFSPlusCatalogFile catalog = catalogOf({
        {folder(1, u"Volume", 2), hfsPlusCatalogRecord(2, u"", hfsPlusThreadBody(3, 1, u"Volume"))},
        {file(2, u"b", 17), file(2, u"a", 16)},
    }, 4096);
    ASSERT_EQ(catalog.leafCount(), 4u);
    EXPECT_EQ(names(catalog.leaves()), (std::vector<std::string>{"Volume", "", "b", "a"}));
    EXPECT_NE(catalog.leaf(1).data.threadRecord(), nullptr);
    for (const auto& leaf : catalog.leaves()) EXPECT_EQ(leaf.blockSize, 4096);
    EXPECT_EQ(catalog.leaf(2).data.fileRecord()->dataFork.blockSize, 4096);
}

// Names compare after canonical composition, by code point, case-sensitive.
TEST(HFSPlusCatalogFile, ChildrenAreSortedByComposedNameThenCodePoint) {
    struct Case {
        const char* what;
        std::vector<std::u16string> stored;  // in catalog order
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"upper case first", {u"a", u"Z", u"b", u"A"}, {"A", "Z", "a", "b"}},
        {"prefix first", {u"abc", u"ab", u"abcd"}, {"ab", "abc", "abcd"}},
        // "é" stored decomposed would sort before "f"; composed, it is
        // U+00E9, above "z". It is still answered as stored.
        {"decomposed name sorts as composed", {u"z", u"e\u0301", u"f"}, {"f", "z", "e\xCC\x81"}},
        {"digits and punctuation by code point",
         {u"_x", u"1", u".hidden", u" space"},
         {" space", ".hidden", "1", "_x"}},
        {"control characters first", {u"HFS+", std::u16string(4, u'\0') + u"HFS+"},
         {std::string(4, '\0') + "HFS+", "HFS+"}},
        {"beyond the BMP after U+FFFD", {u"\U0001F600", u"\uFFFD"}, {"\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> records{folder(1, u"Volume", 2)};
        int64_t id = 100;
        for (const auto& name : c.stored) records.push_back(file(2, name, id++));
        const HFSPlusCatalogFile catalog = catalogOf({records});
        EXPECT_EQ(names(catalog.leavesInParent(2)), c.expected) << c.what;
    }
}

TEST(HFSPlusCatalogFile, EqualNamesKeepCatalogOrder) {
    const HFSPlusCatalogFile catalog =
        catalogOf({{file(2, u"same", 30), file(2, u"other", 31)}, {file(2, u"same", 32), folder(2, u"same", 33)}});
    EXPECT_EQ(identifiers(catalog.leavesInParent(2)), (std::vector<int64_t>{31, 30, 32, 33}));
}

TEST(HFSPlusCatalogFile, ThreadsAndSelfParentsAreNeverChildren) {
    const HFSPlusCatalogFile catalog = catalogOf({{
        folder(1, u"Volume", 2),
        hfsPlusCatalogRecord(2, u"", hfsPlusThreadBody(3, 1, u"Volume")),
        folder(2, u"Folder", 16),
        hfsPlusCatalogRecord(16, u"", hfsPlusThreadBody(3, 2, u"Folder")),  // keyed under its own ID
        folder(16, u"Itself", 16),                                        // names itself as its parent
        file(16, u"inside", 17),
        hfsPlusCatalogRecord(16, u"odd", hfsPlusThreadBody(7, 2, u"odd")),  // unknown type: a thread
    }});
    EXPECT_EQ(names(catalog.leavesInParent(16)), (std::vector<std::string>{"inside"}));
    EXPECT_EQ(names(catalog.leavesInParent(2)), (std::vector<std::string>{"Folder"}));
    const auto byParent = catalog.childPositionsByParent();
    EXPECT_EQ(byParent.at(16), (std::vector<uint32_t>{5}));
    EXPECT_EQ(byParent.at(2), (std::vector<uint32_t>{2}));
    EXPECT_EQ(byParent.at(1), (std::vector<uint32_t>{0}));
    EXPECT_EQ(byParent.size(), 3u);
}

TEST(HFSPlusCatalogFile, ParentOneHoldsTheRootFolder) {
    const HFSPlusCatalogFile catalog = catalogOf({{folder(1, u"Macintosh HD", 2), folder(2, u"System Folder", 16)}});
    const auto top = catalog.leavesInParent(1);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].nodeName(), "Macintosh HD");
    EXPECT_TRUE(top[0].isFolder());
}

TEST(HFSPlusCatalogFile, DirectoryRecordFindsFoldersOnly) {
    const HFSPlusCatalogFile catalog = catalogOf({{
        folder(1, u"Volume", 2),
        hfsPlusCatalogRecord(16, u"", hfsPlusThreadBody(3, 2, u"Thread")),
        folder(2, u"First", 16),
        file(2, u"File", 17),
        folder(2, u"Second", 16),
    }});
    const auto found = catalog.directoryRecord(16);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->nodeName(), "First");
    EXPECT_FALSE(catalog.directoryRecord(17).has_value());
    EXPECT_FALSE(catalog.directoryRecord(99).has_value());
    EXPECT_TRUE(catalog.leavesInParent(99).empty());
}

TEST(HFSPlusCatalogFile, CatalogsWithoutReadableLeavesAreRefused) {
    struct Case {
        const char* what;
        BTreeFileBuilder tree;
    };
    std::vector<Case> cases;
    cases.push_back({"no first leaf node", catalogTree()});
    BTreeFileBuilder pastTheEnd = catalogTree();
    pastTheEnd.addLeafChain({{folder(1, u"Volume", 2)}});
    pastTheEnd.firstLeafNode = 9;
    cases.push_back({"leaf chain past the end", pastTheEnd});
    BTreeFileBuilder undecodable = catalogTree();
    const Bytes whole = folder(1, u"Volume", 2);
    undecodable.addLeafChain({{Bytes(whole.begin(), whole.end() - 1)}});
    cases.push_back({"every record cut short", undecodable});

    for (const Case& c : cases) {
        try {
            HFSPlusCatalogFile(ImageBytes(c.tree.build()), 512);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const HFSPlusCatalogFileError& error) {
            EXPECT_EQ(error.errorCase, HFSPlusCatalogFileError::Case::noLeafNodes) << c.what;
        }
    }
    EXPECT_THROW(HFSPlusCatalogFile(ImageBytes(Bytes(100, 0)), 512), BlockStructureDefinableError);
}

TEST(HFSPlusCatalogFile, RecordsCutShortAreLeftOut) {
    const Bytes root = folder(1, u"Volume", 2);
    const Bytes shortFile = file(2, u"cut", 16);
    const HFSPlusCatalogFile catalog =
        catalogOf({{root, Bytes(shortFile.begin(), shortFile.end() - 10), file(2, u"whole", 17)}});
    EXPECT_EQ(names(catalog.leaves()), (std::vector<std::string>{"Volume", "whole"}));
}

// The summary read in place must keep exactly the records the full reading
// keeps, and tell the same kind, parent and ID: every record shape below is
// also tried cut short at each length of its key and of its data.
TEST(HFSPlusCatalogFile, SummariesAgreeWithTheFullRecord) {
    testing::HFSPlusFileFields hugeFork;
    hugeFork.resourceFork = testing::hfsPlusForkRecord(INT64_MIN, 0, {});
    Bytes unknownType = hfsPlusThreadBody(4, 7, u"other");
    unknownType[1] = 9;
    Bytes shortKey = folder(2, u"x", 30);
    shortKey[1] = 5;  // a key length below 6
    const std::vector<Bytes> records = {
        folder(1, u"Volume", 2), file(2, u"Read Me", 16), hfsPlusCatalogRecord(2, u"", hfsPlusThreadBody(3, 1, u"Volume")),
        hfsPlusCatalogRecord(16, u"", hfsPlusThreadBody(4, 2, u"Read Me")), hfsPlusCatalogRecord(2, u"odd", unknownType),
        hfsPlusCatalogRecord(2, u"huge", hfsPlusFileBody(17, hugeFork)), shortKey,
    };
    for (const Bytes& record : records) {
        const size_t keyEnd = 2 + ((size_t{record[0]} << 8) | record[1]);
        const ByteView whole(record);
        for (size_t cut = 0; cut <= record.size(); ++cut) {
            // Cut inside the key (no data), or inside the data.
            const ByteView key = whole.first(std::min(cut, std::min(keyEnd, record.size())));
            const ByteView data = cut > keyEnd ? whole.subspan(keyEnd, cut - keyEnd) : ByteView();
            SCOPED_TRACE("record of " + std::to_string(record.size()) + " bytes cut at " + std::to_string(cut));
            const auto summary = HFSPlusCatalogFile::summaryOf(key, data);
            std::optional<HFSPlusCatalogLeafRecord> full;
            try {
                full.emplace(ImageBytes::copyOf(key), ImageBytes::copyOf(data), 512);
            } catch (const std::exception&) {
            }
            ASSERT_EQ(summary.has_value(), full.has_value());
            if (!full) continue;
            EXPECT_EQ(summary->leafType, full->data.leafType);
            EXPECT_EQ(summary->parentID, full->parentID());
            EXPECT_EQ(summary->identifier, full->itemIdentifier().value_or(0));
        }
    }
}

// Names are read from the key's bytes for ordering as the full record reads
// them, byte-order marks included.
TEST(HFSPlusCatalogFile, NamesReadInPlaceAreTheRecordsNames) {
    const HFSPlusCatalogFile catalog = catalogOf({{folder(1, u"Volume", 2), file(2, u"caf\u00e9", 16),
                                                   file(2, u"\ufeffmarked", 17), file(2, u"\ufffeswapped", 18),
                                                   file(2, u"", 19)}});
    ASSERT_EQ(catalog.leafCount(), 5u);
    for (size_t position = 0; position < catalog.leafCount(); ++position) {
        EXPECT_EQ(catalog.nodeNameOf(position), catalog.leaf(position).nodeName()) << position;
    }
}

}  // namespace
}  // namespace zorv
