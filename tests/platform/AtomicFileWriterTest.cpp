#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <fstream>

#include "data_access/Bytes.hpp"
#include "platform/AtomicFileWriter.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

// Large files, written back to the disk while they are produced: one written
// as it is produced replaces its target whole, and only when finished; one
// written from pieces keeps its blocks of zeros as holes.
namespace zorv {
namespace {

TEST(AtomicFileWriterTest, AFileWrittenPieceByPieceReplacesItsTargetWhenFinished) {
    const testing::TemporaryDirectory folder;
    const std::string target = folder.file("report.json");
    std::ofstream(target) << "the earlier report";

    Bytes expected;
    AtomicFileWriter writer(target);
    writer.begin(true);
    for (int64_t piece = 0; piece < 50; ++piece) {
        Bytes bytes(65536 + static_cast<size_t>(piece), static_cast<uint8_t>(piece));
        writer.append(bytes);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(fs::readWholeFile(target).toBytes(), Bytes(std::string_view("the earlier report").begin(),
                                                         std::string_view("the earlier report").end()));
    writer.finish();
    EXPECT_EQ(fs::readWholeFile(target).toBytes(), expected);
}

TEST(AtomicFileWriterTest, APieceLeavesItsBlocksOfZerosAsHolesInTheFileSystemsBlockSize) {
    const testing::TemporaryDirectory folder;
    const std::string target = folder.file("device.hda");
    // 8 MiB of zeros holding a few bytes every 64 KiB.
    constexpr size_t size = 8 << 20;
    Bytes bytes(size, 0);
    for (size_t at = 100; at < size; at += 65536) bytes[at] = 0xA5;
    AtomicFileWriter writer(target);
    writer.write(size + 4096, {{4096, bytes}}, true);

    EXPECT_EQ(fs::readWholeFile(target).toBytes().size(), size + 4096);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), fs::readWholeFile(target).toBytes().begin() + 4096));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    // One block for each byte of data, whatever the block size; a file system
    // without holes takes the whole file.
    const int64_t dataBlocks = size / 65536;
    if (info.st_blocks * 512 >= static_cast<int64_t>(size)) GTEST_SKIP() << "the file system keeps no holes";
    EXPECT_LE(info.st_blocks * 512, dataBlocks * info.st_blksize + 65536);
}

}  // namespace
}  // namespace zorv
