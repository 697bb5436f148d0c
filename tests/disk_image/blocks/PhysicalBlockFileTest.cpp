#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "disk_image/blocks/PhysicalBlockFile.hpp"
#include "platform/FileSystem.hpp"
#include "support/FifoReader.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using Case = PhysicalBlockFileError::Case;
using testing::TemporaryDirectory;

template <typename F>
PhysicalBlockFileError::Case caseOf(F&& call) {
    try {
        call();
    } catch (const PhysicalBlockFileError& error) {
        return error.errorCase;
    }
    ADD_FAILURE() << "expected a PhysicalBlockFileError";
    return Case::invalidFileURL;
}

Bytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

TEST(PhysicalBlockFile, OnlyPlainFileURLs) {
    EXPECT_EQ(caseOf([] { PhysicalBlockFile(*URL::parse("https://example.com/a.img"), 512, 512); }),
              Case::invalidFileURL);
    EXPECT_EQ(caseOf([] { PhysicalBlockFile(URL::fileURLWithPath("/tmp/folder/"), 512, 512); }),
              Case::invalidFileURL);
    TemporaryDirectory folder;
    EXPECT_EQ(caseOf([&] { PhysicalBlockFile(URL::fileURLWithPath(folder.path().string()), 512, 512); }),
              Case::invalidFileURL)
        << "an existing folder gets a directory path";
}

TEST(PhysicalBlockFile, QueueTests) {
    PhysicalBlockFile file(URL::fileURLWithPath("/tmp/x.img"), 1048576, 512);
    EXPECT_NO_THROW(file.installBlock(2047, Bytes(512, 1)));
    EXPECT_EQ(caseOf([&] { file.installBlock(2048, Bytes(512, 1)); }), Case::blockOutOfBounds);
    EXPECT_EQ(caseOf([&] { file.installBlock(-1, Bytes(512, 1)); }), Case::blockOutOfBounds);
    try {
        file.installBlock(999999, Bytes(513, 1));
        ADD_FAILURE();
    } catch (const PhysicalBlockFileError& error) {
        EXPECT_EQ(error.errorCase, Case::invalidBlockSize) << "the size test comes first";
        EXPECT_EQ(error.payload, 513);
        EXPECT_STREQ(error.what(), "invalidBlockSize(513)");
    }
    EXPECT_NO_THROW(file.installBlock(0, Bytes{})) << "an empty run passes both tests";
    EXPECT_EQ(file.blocksToInstall().size(), 2u);
}

TEST(PhysicalBlockFile, PatchingKeepsTheFirstRunAndQueuesItLast) {
    PhysicalBlockFile file(URL::fileURLWithPath("/tmp/x.img"), 16 * 512, 512);
    file.installBlock(5, Bytes(512, 0xA));
    file.installBlock(6, Bytes(512, 0xC));
    file.installBlock(5, Bytes(512, 0xB));
    file.patchBlock(5, 0, Bytes{1, 2});
    const auto& queue = file.blocksToInstall();
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue[0].first, 6);
    EXPECT_EQ(queue[1].first, 5);
    EXPECT_EQ(queue[1].second[0], 1);
    EXPECT_EQ(queue[1].second[2], 0xA) << "the first run is patched; the later one is dropped";

    EXPECT_EQ(caseOf([&] { file.patchBlock(5, 510, Bytes(4, 0)); }), Case::patchTooLarge);
    EXPECT_NO_THROW(file.patchBlock(5, 510, Bytes(2, 0)));
    EXPECT_EQ(caseOf([&] { file.patchBlock(5, -1, Bytes(1, 0)); }), Case::patchTooLarge);
    try {
        file.patchBlock(7, 0, Bytes{1});
        ADD_FAILURE();
    } catch (const PhysicalBlockFileError& error) {
        EXPECT_EQ(error.errorCase, Case::blockNotFound);
        EXPECT_STREQ(error.what(), "blockNotFound(7)");
    }
}

TEST(PhysicalBlockFile, GeneratesZerosAndRunsInQueueOrder) {
    TemporaryDirectory folder;
    const std::string path = folder.file("disk.img");
    PhysicalBlockFile file(URL::fileURLWithPath(path), 8 * 512, 512);
    file.installBlock(5, Bytes(512, 0xA));
    file.installBlock(5, Bytes(512, 0xB));
    file.installBlock(7, Bytes(1024, 0xC));  // runs past the end: the file grows
    file.generateFile(true);

    const Bytes written = fileBytes(path);
    ASSERT_EQ(written.size(), 9u * 512);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 5 * 512), Bytes(5 * 512, 0));
    EXPECT_EQ(written[5 * 512], 0xB) << "the later run wins";
    EXPECT_EQ(written[6 * 512], 0);
    EXPECT_EQ(written[8 * 512 + 511], 0xC);

    file.replaceBlockInGeneratedFile(1, Bytes(512, 0xD));
    const Bytes replaced = fileBytes(path);
    EXPECT_EQ(replaced.size(), written.size());
    EXPECT_EQ(replaced[512], 0xD);
    EXPECT_EQ(replaced[5 * 512], 0xB);
    EXPECT_EQ(caseOf([&] { file.replaceBlockInGeneratedFile(8, Bytes(512, 0)); }), Case::blockOutOfBounds);

    // Folder holds only the image: no temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(PhysicalBlockFile, EmptyAndLargeSparseImages) {
    TemporaryDirectory folder;
    PhysicalBlockFile empty(URL::fileURLWithPath(folder.file("empty.img")), 0, 512);
    empty.generateFile(true);
    EXPECT_EQ(std::filesystem::file_size(folder.file("empty.img")), 0u);

    const int64_t twentyMiB = 20 * 1024 * 1024;
    PhysicalBlockFile big(URL::fileURLWithPath(folder.file("big.img")), twentyMiB, 512);
    big.installBlock(twentyMiB / 512 - 1, Bytes(512, 0x5A));
    big.generateFile(true);
    const Bytes bytes = fileBytes(folder.file("big.img"));
    ASSERT_EQ(static_cast<int64_t>(bytes.size()), twentyMiB);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), twentyMiB - 512);
}

TEST(PhysicalBlockFile, OverwriteOffRefusesAnExistingFileAndLeavesIt) {
    TemporaryDirectory folder;
    const std::string path = folder.file("keep.img");
    writeFile(path, Bytes{1, 2, 3});
    PhysicalBlockFile file(URL::fileURLWithPath(path), 1024, 512);
    try {
        file.generateFile(false);
        ADD_FAILURE() << "an existing file must be refused";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EEXIST);
    }
    EXPECT_EQ(fileBytes(path), (Bytes{1, 2, 3}));
    file.generateFile(true);
    EXPECT_EQ(fileBytes(path), Bytes(1024, 0));
}

TEST(PhysicalBlockFile, FailuresLeaveTheTargetUntouched) {
    TemporaryDirectory folder;
    const std::string path = folder.file("target.img");
    writeFile(path, Bytes{7, 7});
    // More than any test machine's disk holds: refused before anything is written.
    PhysicalBlockFile huge(URL::fileURLWithPath(path), INT64_MAX / 2, 512);
    EXPECT_EQ(caseOf([&] { huge.generateFile(true); }), Case::notEnoughSpace);
    EXPECT_EQ(fileBytes(path), (Bytes{7, 7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    PhysicalBlockFile missingFolder(URL::fileURLWithPath(folder.file("no/such/dir/x.img")), 512, 512);
    EXPECT_THROW(missingFolder.generateFile(true), std::system_error);
}

TEST(PhysicalBlockFile, WritesThroughSymbolicLinksWithPlainPermissions) {
    TemporaryDirectory folder;
    const std::string real = folder.file("real.img");
    const std::string link = folder.file("link.img");
    writeFile(real, Bytes{1});
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    const mode_t oldMask = ::umask(022);
    PhysicalBlockFile file(URL::fileURLWithPath(link), 512, 512);
    file.generateFile(true);
    ::umask(oldMask);

    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(fileBytes(real), Bytes(512, 0));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// A named pipe, reached directly or through a link, takes the same bytes as
// a file would hold, in order, and stays a pipe.
TEST(PhysicalBlockFile, ANamedPipeIsWrittenIntoAndStaysAPipe) {
    TemporaryDirectory folder;
    const auto fill = [](const std::string& path) {
        // Runs across the writer's 1 MiB steps, overlapping, and one past the end.
        PhysicalBlockFile file(URL::fileURLWithPath(path), 3 * 1024 * 1024 + 512, 512);
        file.installBlock(2047, Bytes(1024, 0xA));
        file.installBlock(2048, Bytes(512, 0xB));
        file.installBlock(6144, Bytes(1024, 0xC));
        file.installBlock(1, Bytes(512, 0xD));
        return file;
    };
    fill(folder.file("plain.img")).generateFile(true);
    const Bytes expected = fileBytes(folder.file("plain.img"));
    ASSERT_EQ(expected.size(), 3u * 1024 * 1024 + 1024);

    const std::string link = folder.file("link.img");
    std::filesystem::create_symlink("pipe.img", link);
    for (const std::string& target : {folder.file("pipe.img"), link}) {
        testing::FifoReader pipe(folder.file("pipe.img"));
        fill(target).generateFile(true);
        EXPECT_EQ(pipe.finish(), expected) << target;
        EXPECT_TRUE(std::filesystem::is_fifo(folder.file("pipe.img"))) << target;
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        std::filesystem::remove(folder.file("pipe.img"));
    }

}

// A slice of an image read from disk is queued as it lies, not copied; a
// patch copies the run, and the image keeps its bytes.
TEST(PhysicalBlockFile, SlicesOfAnImageAreQueuedWithoutACopy) {
    const ImageBytes image(Bytes(4 * 512, 0x42));
    PhysicalBlockFile file(URL::fileURLWithPath("/tmp/x.img"), 8 * 512, 512);
    file.installBlock(3, image.slice(512, 2 * 512));
    EXPECT_EQ(file.blocksToInstall().front().second.data(), image.data() + 512);
    file.patchBlock(3, 0, Bytes{1});
    EXPECT_EQ(file.blocksToInstall().front().second[0], 1);
    EXPECT_EQ(image, Bytes(4 * 512, 0x42));
}

TEST(PhysicalBlockFile, ARunMayEndInPartOfABlockOnlyWhereTheFileEnds) {
    TemporaryDirectory folder;
    const std::string path = folder.file("odd.img");
    PhysicalBlockFile file(URL::fileURLWithPath(path), 1000, 512);
    EXPECT_EQ(caseOf([&] { file.installBlock(0, Bytes(600, 1)); }), Case::invalidBlockSize);
    file.installBlock(0, Bytes(1000, 1));
    file.generateFile(true);
    EXPECT_EQ(fileBytes(path), Bytes(1000, 1));
}

// Whole zero blocks of a run are left as holes of a new file, which reads as
// zeros there already; where an earlier run wrote, the zeros are written. A
// pipe gets every byte.
TEST(PhysicalBlockFile, ZeroBlocksAreLeftAsHolesUnlessTheyCoverEarlierRuns) {
    TemporaryDirectory folder;
    constexpr int64_t megabyte = 1024 * 1024;
    Bytes mostlyZeros(2 * megabyte, 0);
    std::fill(mostlyZeros.end() - 512, mostlyZeros.end(), uint8_t{0x33});
    mostlyZeros[700] = 0x44;  // in the second block, not at its start
    Bytes halfZeros(1024, 0x55);
    std::fill_n(halfZeros.begin(), 512, uint8_t{0});
    const auto fill = [&](const std::string& path) {
        PhysicalBlockFile file(URL::fileURLWithPath(path), 4 * megabyte, 512);
        file.installBlock(0, Bytes(megabyte, 0x11));
        file.installBlock(megabyte / 512, ImageBytes(mostlyZeros));
        file.installBlock(0, Bytes(512, 0));  // over the first run
        file.installBlock(5, halfZeros);      // zeros over the first run, then bytes
        file.installBlock(8191, Bytes(1024, 0));  // zeros running past the end
        return file;
    };
    Bytes expected(4 * megabyte + 512, 0);
    std::fill_n(expected.begin() + 512, megabyte - 512, uint8_t{0x11});
    std::fill_n(expected.begin() + 5 * 512, 512, uint8_t{0});
    std::fill_n(expected.begin() + 6 * 512, 512, uint8_t{0x55});
    std::copy(mostlyZeros.begin(), mostlyZeros.end(), expected.begin() + megabyte);

    const std::string path = folder.file("holes.img");
    fill(path).generateFile(true);
    EXPECT_EQ(fileBytes(path), expected);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_LT(info.st_blocks * 512, 2 * megabyte) << "the 3 MiB of zeros take no room";

    testing::FifoReader pipe(folder.file("pipe.img"));
    fill(folder.file("pipe.img")).generateFile(true);
    EXPECT_EQ(pipe.finish(), expected);
}

TEST(PhysicalBlockFile, OutputMayReplaceAMappedInput) {
    TemporaryDirectory folder;
    const std::string path = folder.file("same.img");
    writeFile(path, Bytes(1024, 0x42));
    const ImageBytes input = fs::readWholeFile(path);
    PhysicalBlockFile file(URL::fileURLWithPath(path), 1024, 512);
    file.installBlock(0, Bytes(input.begin(), input.begin() + 512));
    file.generateFile(true);
    EXPECT_EQ(input, Bytes(1024, 0x42)) << "the mapped input keeps its bytes";
    const Bytes output = fileBytes(path);
    EXPECT_EQ(output[0], 0x42);
    EXPECT_EQ(output[600], 0);
}

}  // namespace
}  // namespace zorv
