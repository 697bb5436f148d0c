#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

struct Creator : ImageCreatorRepresentable {
    Creator(std::string path, int64_t fileSize, int64_t fileBlockSize, int64_t creatorBlockSize)
        : ImageCreatorRepresentable(PhysicalBlockFile(URL::fileURLWithPath(std::move(path)), fileSize, fileBlockSize),
                                    creatorBlockSize) {}
};

TEST(ImageCreatorDefaults, GrowingAndSizes) {
    Creator creator("/tmp/unwritten.img", 1024, 512, 512);
    creator.addEmptyBlocks(0);
    EXPECT_EQ(creator.physicalFile.sizeInBytes, 1024);
    creator.addEmptyBlocks(3);
    EXPECT_EQ(creator.physicalFile.sizeInBytes, 2560);
    EXPECT_EQ(creator.sizeInBlocks(), 5);
    EXPECT_EQ(creator.sizeInBytes(), 2560);

    // Counts that would shrink the file or overflow its size change nothing.
    creator.addEmptyBlocks(-1);
    creator.addEmptyBlocks(std::numeric_limits<int64_t>::max() / 512);
    creator.addEmptyBlocks(std::numeric_limits<int64_t>::max());
    EXPECT_EQ(creator.physicalFile.sizeInBytes, 2560);

    // A partial block is dropped, and the creator's own block size scales the result.
    Creator partial("/tmp/unwritten.img", 1000, 512, 512);
    EXPECT_EQ(partial.sizeInBytes(), 512);
    Creator mixed("/tmp/unwritten.img", 2048, 512, 1024);
    EXPECT_EQ(mixed.sizeInBlocks(), 4);
    EXPECT_EQ(mixed.sizeInBytes(), 4096);
    mixed.addEmptyBlocks(1);
    EXPECT_EQ(mixed.physicalFile.sizeInBytes, 2560) << "grows by the file's blocks, not the creator's";
}

TEST(ImageCreatorDefaults, QueuesWritesAndRewritesThroughTheFile) {
    TemporaryDirectory folder;
    const std::string path = folder.file("new.img");
    Creator creator(path, 1024, 512, 512);
    creator.installBlock(1, Bytes(512, 0xAB));
    ASSERT_EQ(creator.physicalFile.blocksToInstall().size(), 1u);
    EXPECT_THROW(creator.installBlock(2, Bytes(512, 0)), PhysicalBlockFileError);

    creator.create(false);
    EXPECT_EQ(std::filesystem::file_size(path), 1024u);
    creator.replaceBlock(0, Bytes(512, 0x11));
    std::ifstream in(path, std::ios::binary);
    const Bytes written{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(written.size(), 1024u);
    EXPECT_EQ(written[0], 0x11);
    EXPECT_EQ(written[512], 0xAB);
    EXPECT_ANY_THROW(creator.create(false)) << "the file exists now";
}

}  // namespace
}  // namespace zorv
