// Real HFS and HFS+ volumes whose last catalog or extents leaf names itself as
// the next one: the chain ends there, and the volume keeps every item and
// every extent that hfsutils, or the sound volume, shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HfsSampleVolumes.hpp"
#include "support/HfsTool.hpp"
#include "support/HlsListing.hpp"
#include "support/ItemPaths.hpp"
#include "support/LeafChainDamage.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::VolumeBTreeFile;

std::set<std::string> pathsOf(const ImageBytes& image) {
    const ImageParser parser(image);
    std::set<std::string> paths;
    if (!parser.volume()) return paths;
    for (const auto& [path, item] : testing::itemsByPath(*parser.volume())) paths.insert(path);
    return paths;
}

Bytes withLastLeafLinkedToItself(const ImageBytes& image, VolumeBTreeFile file) {
    Bytes bytes = image.toBytes();
    EXPECT_TRUE(testing::linkLastLeafToItself(bytes, file));
    return bytes;
}

class LeafChainOfHfsutilsVolume : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    }

    testing::HfsTool tool;
    testing::TemporaryDirectory folder;
};

std::string fromMacRoman(const std::string& raw) {
    return decodeMacOSRoman(ByteView(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()));
}

// Every item of `hls -R` as a path "Folder/Sub/name".
std::set<std::string> pathsOfListing(const std::string& listing) {
    std::set<std::string> paths;
    for (const auto& [folder, entries] : testing::parseHlsListing(listing)) {
        std::string prefix;
        for (size_t from = 1; from < folder.size();) {
            const size_t colon = folder.find(':', from);
            prefix += fromMacRoman(folder.substr(from, colon - from)) + "/";
            from = colon + 1;
        }
        for (const auto& entry : entries) paths.insert(prefix + fromMacRoman(entry.name));
    }
    return paths;
}

class LeafChainOfCorpusVolume : public ::testing::TestWithParam<const char*> {};

// The items of the damaged volume are those of the sound one and, for HFS,
// those that hfsutils listed in the corpus's oracle.
TEST_P(LeafChainOfCorpusVolume, ALastLeafLinkedToItselfKeepsEveryItem) {
    const std::string file = GetParam();
    const auto image = testing::corpusImage(file);
    if (!image) GTEST_SKIP() << file << " is not in the corpus";
    const std::set<std::string> sound = pathsOf(*image);
    ASSERT_GT(sound.size(), 3u);
    const ImageBytes damaged(withLastLeafLinkedToItself(*image, VolumeBTreeFile::catalog));
    EXPECT_EQ(ImageParser(damaged).imageFormat(), ImageParser(*image).imageFormat());
    EXPECT_EQ(pathsOf(damaged), sound);
    const auto oracle = testing::corpusFile("hfs/oracles/" + file.substr(file.find('/') + 1) + ".hls.txt");
    if (file.starts_with("hfs/") && oracle) {
        const ImageBytes listing = fs::readWholeFile(oracle->string());
        EXPECT_EQ(pathsOf(damaged), pathsOfListing(std::string(listing.begin(), listing.end())));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, LeafChainOfCorpusVolume,
                         ::testing::Values("hfs/cp2-simple-gsos.po", "hfsplus/dfvfs-hfsplus.raw"),
                         [](const auto& info) { return std::string(info.index == 0 ? "HFS" : "HFSPlus"); });

TEST_F(LeafChainOfHfsutilsVolume, ACatalogLeafLinkedToItselfKeepsWhatHlsLists) {
    const std::string path = folder.file("tree.img");
    const ImageBytes image = testing::makeSampleTreeVolume(tool, path);
    tool.mount(path);
    const std::set<std::string> listed = pathsOfListing(tool.recursiveListing());
    tool.unmount();
    ASSERT_GT(listed.size(), 50u);
    EXPECT_EQ(pathsOf(ImageBytes(withLastLeafLinkedToItself(image, VolumeBTreeFile::catalog))), listed);
}

TEST_F(LeafChainOfHfsutilsVolume, AnExtentsLeafLinkedToItselfKeepsTheFileWhole) {
    const std::string path = folder.file("fragments.img");
    const ImageBytes image = testing::makeFragmentedVolume(tool, path);
    const ImageParser parser(ImageBytes(withLastLeafLinkedToItself(image, VolumeBTreeFile::extentsOverflow)));
    ASSERT_NE(parser.volume(), nullptr);
    const auto items = testing::itemsByPath(*parser.volume());
    const auto big = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.first == "Big"; });
    ASSERT_NE(big, items.end());
    const auto fork = parser.volume()->getFork(ForkType::data, big->second);
    ASSERT_TRUE(fork);
    // makeFragmentedVolume copies big.bin, beside the image, into "Big".
    const Bytes copied = fs::readWholeFile(folder.file("big.bin")).toBytes();
    EXPECT_EQ(fork->size(), copied.size());
    EXPECT_TRUE(fork->toBytes() == copied);
}

}  // namespace
}  // namespace zorv
