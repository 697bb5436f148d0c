// Real HFS and HFS+ volumes whose last catalog or extents leaf names itself as
// the next one: the chain ends there, and the volume keeps every item and
// every extent that the sound volume shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HfsSampleVolumes.hpp"
#include "support/HfsTool.hpp"
#include "support/ItemPaths.hpp"
#include "support/LeafChainDamage.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::VolumeBTreeFile;

std::set<std::string> pathsOf(const ImageParser& parser) {
    std::set<std::string> paths;
    if (!parser.volume()) return paths;
    for (const auto& [path, item] : testing::itemsByPath(*parser.volume())) paths.insert(path);
    return paths;
}

ImageBytes withLastLeafLinkedToItself(const ImageBytes& image, VolumeBTreeFile file) {
    Bytes bytes = image.toBytes();
    EXPECT_TRUE(testing::linkLastLeafToItself(bytes, file));
    return ImageBytes(std::move(bytes));
}

class LeafChainLinkedToItself : public ::testing::TestWithParam<const char*> {};

// A corpus volume, or one hfsutils makes ("hfsutils"): the damaged catalog
// lists what the sound one lists.
TEST_P(LeafChainLinkedToItself, TheCatalogKeepsEveryItem) {
    const std::string source = GetParam();
    const testing::TemporaryDirectory folder;
    std::optional<ImageBytes> image;
    if (source == "hfsutils") {
        if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
        testing::HfsTool tool;
        image = testing::makeSampleTreeVolume(tool, folder.file("tree.img"));
    } else {
        image = testing::corpusImage(source);
        if (!image) GTEST_SKIP() << source << " is not in the corpus";
    }
    const ImageParser sound(*image);
    const ImageParser damaged(withLastLeafLinkedToItself(*image, VolumeBTreeFile::catalog));
    EXPECT_EQ(damaged.imageFormat(), sound.imageFormat());
    ASSERT_GT(pathsOf(sound).size(), 3u);
    EXPECT_EQ(pathsOf(damaged), pathsOf(sound));
}

INSTANTIATE_TEST_SUITE_P(Volumes, LeafChainLinkedToItself,
                         ::testing::Values("hfs/cp2-simple-gsos.po", "hfsplus/dfvfs-hfsplus.raw", "hfsutils"),
                         testing::namedBy());

TEST(LeafChainLinkedToItselfInExtents, TheFragmentedFileReadsWhole) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    testing::HfsTool tool;
    const testing::TemporaryDirectory folder;
    const ImageBytes image = testing::makeFragmentedVolume(tool, folder.file("fragments.img"));
    const ImageParser parser(withLastLeafLinkedToItself(image, VolumeBTreeFile::extentsOverflow));
    ASSERT_NE(parser.volume(), nullptr);
    const auto items = testing::itemsByPath(*parser.volume());
    const auto big = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.first == "Big"; });
    ASSERT_NE(big, items.end());
    // makeFragmentedVolume copies big.bin, beside the image, into "Big".
    const auto fork = parser.volume()->getFork(ForkType::data, big->second);
    ASSERT_TRUE(fork);
    EXPECT_TRUE(fork->toBytes() == fs::readWholeFile(folder.file("big.bin")).toBytes());
}

}  // namespace
}  // namespace zorv
