// The catalog and extents files of real HFS volumes: volumes that hfsutils
// makes at test time, and the volumes of the shared corpus with the listings
// hfsutils gave of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtentsOverflowFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HfsBTreeFiles.hpp"
#include "support/HfsSampleVolumes.hpp"
#include "support/HfsTool.hpp"
#include "support/HlsListing.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::HfsBTreeFiles;
using testing::HfsTool;
using testing::HlsEntry;
using testing::TemporaryDirectory;
using LeafType = HFSCatalogLeafRecord::LeafType;

constexpr int64_t kRootFolderID = 2;
constexpr int64_t kInvisible = 0x4000;

std::string macRoman(const std::string& raw) {
    return decodeText(ByteView(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()), TextEncoding::macOSRoman)
        .value_or("");
}

std::string rawCode(const OSType& code) { return std::string(code.internalBytes.begin(), code.internalBytes.end()); }

std::vector<std::string> namesOf(const std::vector<HFSCatalogLeafRecord>& leaves) {
    std::vector<std::string> names;
    for (const auto& leaf : leaves) names.push_back(leaf.key.nodeName);
    return names;
}

std::optional<HFSCatalogLeafRecord> childNamed(const std::vector<HFSCatalogLeafRecord>& children,
                                               const std::string& name) {
    for (const auto& child : children) {
        if (child.key.nodeName == name) return child;
    }
    return std::nullopt;
}

// Every leaf, written back, gives the bytes of the B-tree record it was read
// from: its key, the pad byte and its data. A leaf holds neither the pad byte
// nor the filler after a thread's name, and writes both as zeros; the
// Macintosh and GS/OS leave there whatever the node held before. Returns how
// many stored records had other bytes there.
int expectLeavesWriteBackAsStored(const ImageBytes& catalogBytes) {
    const std::vector<BTreeNodeRecord> records = BTree(catalogBytes, 512).leafNodeRecords();
    const HFSCatalogFile catalog(catalogBytes, 512);
    EXPECT_EQ(catalog.leafCount(), records.size());
    int leftOvers = 0;
    for (size_t i = 0; i < std::min(records.size(), catalog.leafCount()); ++i) {
        Bytes stored = records[i].recordKey.toBytes();
        stored.insert(stored.end(), records[i].recordData.begin(), records[i].recordData.end());
        const Bytes asRead = stored;
        size_t body = records[i].recordKey.size();
        if (records[i].keyLength % 2 == 0) stored[body++] = 0;
        const bool isThread = stored.size() >= body + 46 && (stored[body] == 3 || stored[body] == 4);
        if (isThread) {
            const size_t nameEnd = std::min<size_t>(body + 15 + stored[body + 14], body + 46);
            std::fill(stored.begin() + static_cast<std::ptrdiff_t>(nameEnd),
                      stored.begin() + static_cast<std::ptrdiff_t>(body + 46), 0);
        }
        if (stored != asRead) ++leftOvers;
        EXPECT_EQ(catalog.leaf(i).dataBlock(), stored)
            << "leaf " << i << " \"" << catalog.leaf(i).key.nodeName << "\"";
    }
    return leftOvers;
}

// The catalog holds what hfsutils lists: the same items in each folder, with
// the same kinds, visibility, valences, codes and fork lengths.
void expectCatalogMatchesListing(const HFSCatalogFile& catalog,
                                 const std::map<std::string, std::vector<HlsEntry>>& listing) {
    for (const auto& [path, entries] : listing) {
        SCOPED_TRACE("folder " + path);
        int64_t folderID = kRootFolderID;
        std::istringstream components(path);
        std::string component;
        while (std::getline(components, component, ':')) {
            if (component.empty()) continue;
            const auto folder = childNamed(catalog.leavesInParent(folderID), macRoman(component));
            ASSERT_TRUE(folder) << "no folder " << component;
            ASSERT_EQ(folder->leafType(), LeafType::directory);
            folderID = folder->data.directoryRecord->dirDirID;
        }
        const std::vector<HFSCatalogLeafRecord> children = catalog.leavesInParent(folderID);
        EXPECT_EQ(children.size(), entries.size());
        for (const HlsEntry& entry : entries) {
            SCOPED_TRACE(entry.name);
            const auto child = childNamed(children, macRoman(entry.name));
            ASSERT_TRUE(child);
            if (entry.isFolder) {
                ASSERT_EQ(child->leafType(), LeafType::directory);
                const auto& folder = *child->data.directoryRecord;
                EXPECT_EQ(folder.dirVal, entry.valence);
                EXPECT_EQ((folder.dirUsrInfo.frFlags & kInvisible) != 0, entry.isInvisible);
            } else {
                ASSERT_EQ(child->leafType(), LeafType::file);
                const auto& file = *child->data.fileRecord;
                EXPECT_EQ(testing::hlsCodeColumn(rawCode(file.filUsrWds.fdType)), entry.type);
                EXPECT_EQ(testing::hlsCodeColumn(rawCode(file.filUsrWds.fdCreator)), entry.creator);
                EXPECT_EQ(file.filLgLen, entry.dataForkSize);
                EXPECT_EQ(file.filRLgLen, entry.resourceForkSize);
                EXPECT_EQ((file.filUsrWds.fdFlags & kInvisible) != 0, entry.isInvisible);
            }
        }
    }
}

// Each folder has one thread record, keyed by the folder's ID with an empty
// name, that names the folder and its parent.
void expectEveryFolderHasItsThread(const HFSCatalogFile& catalog) {
    for (const auto& leaf : catalog.leaves()) {
        if (leaf.leafType() != LeafType::directory) continue;
        const int64_t folderID = leaf.data.directoryRecord->dirDirID;
        SCOPED_TRACE(leaf.key.nodeName);
        int threads = 0;
        for (const auto& thread : catalog.leaves()) {
            if (thread.leafType() != LeafType::directoryThread || thread.key.parentID != folderID) continue;
            ++threads;
            EXPECT_EQ(thread.key.nodeName, "");
            EXPECT_EQ(thread.data.directoryThread->thdParID, leaf.key.parentID);
            EXPECT_EQ(thread.data.directoryThread->thdCName, leaf.key.nodeName);
        }
        EXPECT_EQ(threads, 1);
        const auto found = catalog.directoryRecord(folderID);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->key.nodeName, leaf.key.nodeName);
        EXPECT_EQ(found->key.parentID, leaf.key.parentID);
    }
}

class HFSCatalogMadeByHfsutils : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed (scripts/install-deps installs it)";
    }

    HfsTool tool;
    TemporaryDirectory folder;
};

TEST_F(HFSCatalogMadeByHfsutils, ReadsTheFolderTree) {
    const ImageBytes volume = testing::makeSampleTreeVolume(tool, folder.file("tree.img"));
    const auto files = HfsBTreeFiles::cutFrom(volume);
    ASSERT_TRUE(files);
    const HFSCatalogFile catalog(files->catalogFile, 512);

    EXPECT_GE(BTree(files->catalogFile, 512).headerNode.headerRecord.treeDepth, 2) << "the leaves need an index";
    EXPECT_EQ(namesOf(catalog.leavesInParent(1)), std::vector<std::string>{"Sample Tree"});
    EXPECT_EQ(namesOf(catalog.leavesInParent(kRootFolderID)),
              (std::vector<std::string>{"App", "Empty Folder", "Letters", "Many", "Nested", "ReadMe", "zeta",
                                        "\u00C9clair"}));
    const auto root = catalog.leavesInParent(kRootFolderID);
    const auto letters = childNamed(root, "Letters");
    ASSERT_TRUE(letters);
    EXPECT_EQ(letters->data.directoryRecord->dirVal, 4);
    EXPECT_EQ(namesOf(catalog.leavesInParent(letters->data.directoryRecord->dirDirID)),
              (std::vector<std::string>{"Banana", "Date", "apple", "cherry"}));
    const auto many = childNamed(root, "Many");
    ASSERT_TRUE(many);
    EXPECT_EQ(catalog.leavesInParent(many->data.directoryRecord->dirDirID).size(), 40u);

    const auto readMe = childNamed(root, "ReadMe");
    ASSERT_TRUE(readMe);
    ASSERT_TRUE(readMe->data.fileRecord);
    EXPECT_EQ(readMe->data.fileRecord->filUsrWds.fdType.string(), "TEXT");
    EXPECT_EQ(readMe->data.fileRecord->filUsrWds.fdCreator.string(), "ttxt");
    EXPECT_EQ(readMe->data.fileRecord->filLgLen, 6);
    EXPECT_EQ(childNamed(root, "App")->data.fileRecord->filUsrWds.fdType.string(), "APPL");
    EXPECT_EQ(childNamed(root, "App")->data.fileRecord->filUsrWds.fdCreator.string(), "MyAp");

    // Down the nested folders by ID, then back up by thread records.
    int64_t id = childNamed(root, "Nested")->data.directoryRecord->dirDirID;
    for (const char* name : {"Level 2", "Level 3"}) {
        const auto child = childNamed(catalog.leavesInParent(id), name);
        ASSERT_TRUE(child) << name;
        id = child->data.directoryRecord->dirDirID;
    }
    EXPECT_EQ(namesOf(catalog.leavesInParent(id)), std::vector<std::string>{"deep.txt"});
    std::vector<std::string> path;
    while (id != 1) {
        const auto folderRecord = catalog.directoryRecord(id);
        ASSERT_TRUE(folderRecord);
        path.insert(path.begin(), folderRecord->key.nodeName);
        id = folderRecord->key.parentID;
    }
    EXPECT_EQ(path, (std::vector<std::string>{"Sample Tree", "Nested", "Level 2", "Level 3"}));

    expectEveryFolderHasItsThread(catalog);
    EXPECT_EQ(expectLeavesWriteBackAsStored(files->catalogFile), 0) << "hfsutils zeroes pad bytes and name fillers";
    tool.mount(folder.file("tree.img"));
    expectCatalogMatchesListing(catalog, testing::parseHlsListing(tool.recursiveListing()));

    EXPECT_TRUE(ExtentsOverflowFile(files->extentsFile, 512).leaves.empty()) << "no fork needs more than three extents";
}

TEST_F(HFSCatalogMadeByHfsutils, ReadsTheExtentsOfAFragmentedFile) {
    const ImageBytes volume = testing::makeFragmentedVolume(tool, folder.file("fragments.img"));
    const auto files = HfsBTreeFiles::cutFrom(volume);
    ASSERT_TRUE(files);
    const HFSCatalogFile catalog(files->catalogFile, 512);
    const auto big = childNamed(catalog.leavesInParent(kRootFolderID), "Big");
    ASSERT_TRUE(big);
    const auto& file = *big->data.fileRecord;
    EXPECT_EQ(file.filLgLen, 200000);

    const ExtentsOverflowFile extents(files->extentsFile, 512);
    ASSERT_FALSE(extents.leaves.empty());
    // Big's records follow on from the three extents of its catalog record,
    // each starting where the one before it ended.
    int64_t nextBlock = 0;
    for (const auto& extent : file.filExtRec) nextBlock += extent.xdrNumABlks;
    int64_t blocks = nextBlock;
    for (const auto& leaf : extents.leaves) {
        EXPECT_EQ(leaf.key.xkrFNum, file.filFlNum);
        EXPECT_EQ(leaf.key.xkrFkType, 0x00);
        EXPECT_EQ(leaf.key.xkrFABN, nextBlock);
        for (const auto& extent : leaf.record.records) nextBlock += extent.xdrNumABlks;
    }
    blocks = nextBlock;
    EXPECT_EQ(blocks * files->allocationBlockSize, file.filPyLen);

    const auto records = BTree(files->extentsFile, 512).leafNodeRecords();
    ASSERT_EQ(records.size(), extents.leaves.size());
    for (size_t i = 0; i < records.size(); ++i) {
        Bytes stored = records[i].recordKey.toBytes();
        stored.insert(stored.end(), records[i].recordData.begin(), records[i].recordData.end());
        EXPECT_EQ(extents.leaves[i].dataBlock(), stored);
    }
    EXPECT_EQ(expectLeavesWriteBackAsStored(files->catalogFile), 0);
}

// --- The corpus -------------------------------------------------------------------

struct CorpusVolume {
    const char* file;                       // in the corpus's hfs/ folder
    std::vector<std::string> rootChildren;  // in name order; empty: not checked
};

class HFSCatalogOfCorpusVolume : public ::testing::TestWithParam<CorpusVolume> {};

std::optional<ImageBytes> loadVolume(const std::string& name, const TemporaryDirectory& scratch) {
    const auto path = testing::corpusFile("hfs/" + name);
    if (!path) return std::nullopt;
    if (path->extension() != ".xz") return fs::readWholeFile(path->string());
    if (!testing::isCommandAvailable("xz")) return std::nullopt;
    const std::string unpacked = scratch.file("volume.img");
    const auto result = testing::runCommand({"sh", "-c", "xz -dc \"$0\" > \"$1\"", path->string(), unpacked});
    if (result.exitStatus != 0) return std::nullopt;
    return fs::readWholeFile(unpacked);
}

TEST_P(HFSCatalogOfCorpusVolume, MatchesTheListingOfHfsutils) {
    const CorpusVolume& sample = GetParam();
    const TemporaryDirectory scratch;
    const auto volume = loadVolume(sample.file, scratch);
    if (!volume) GTEST_SKIP() << "hfs/" << sample.file << " is not in the corpus (or xz is missing)";
    const auto files = HfsBTreeFiles::cutFrom(*volume);
    ASSERT_TRUE(files) << "the master directory block locates the B-tree files inside the image";

    const HFSCatalogFile catalog(files->catalogFile, 512);
    if (!sample.rootChildren.empty()) {
        EXPECT_EQ(namesOf(catalog.leavesInParent(kRootFolderID)), sample.rootChildren);
    }
    expectEveryFolderHasItsThread(catalog);
    expectLeavesWriteBackAsStored(files->catalogFile);
    for (const auto& leaf : ExtentsOverflowFile(files->extentsFile, 512).leaves) {
        EXPECT_EQ(leaf.record.records.size(), 3u);
    }

    const auto oracle = testing::corpusFile(
        "hfs/oracles/" + std::string(sample.file).substr(0, std::string(sample.file).rfind(".xz")) + ".hls.txt");
    if (!oracle) return;
    std::ifstream stream(*oracle, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (text.find("# Volume name is") == std::string::npos) return;  // hfsutils refused the volume
    auto listing = testing::parseHlsListing(text);
    listing[":"];  // an empty root is listed too
    expectCatalogMatchesListing(catalog, listing);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, HFSCatalogOfCorpusVolume,
    ::testing::Values(
        CorpusVolume{
            "cp2-simple-linux.po",
            {"EmptyDir", "EmptyFile", "HFS.cpp", "Small File", "SubDir", "chunks.cpp", "chunks1", "chunks2", "stars"}},
        CorpusVolume{"cp2-simple-gsos.po", {"Empty Folder", "Finder.Data", "HardPressed.FXT", "SIZES", "Sub-Folder"}},
        CorpusVolume{"cp2-blank-800k.po", {}}, CorpusVolume{"fc-hello-world-untitled-volume.img", {"helloworld.txt"}},
        CorpusVolume{"hr-importfl-1.2.2.dsk", {}}, CorpusVolume{"hr-ResEdit_2.1.3.img", {}},
        CorpusVolume{"im-System_3.3.dsk", {"Desktop", "System Folder", "Utilities Folder", "Welcome!"}},
        CorpusVolume{"im-System_6.0.8_System_Startup.img", {}}, CorpusVolume{"mr-hfs400K.dsk", {}},
        CorpusVolume{"util-linux-hfs.img.xz", {}}),
    testing::namedBy(&CorpusVolume::file));

}  // namespace
}  // namespace zorv
