// Maps of sparse files: which parts may hold data, as the image writer asks
// before it reads a piece of an input.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/FileMap.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

constexpr size_t mebibyte = 1 << 20;

// A 4 MiB file with data in its first 4 KiB and at 2 MiB, holes elsewhere.
std::string sparseFile(const TemporaryDirectory& folder) {
    const std::string path = folder.file("sparse.img");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string data(4096, 'x');
    EXPECT_EQ(::pwrite(fd, data.data(), data.size(), 0), 4096);
    EXPECT_EQ(::pwrite(fd, data.data(), data.size(), 2 * mebibyte), 4096);
    EXPECT_EQ(::ftruncate(fd, 4 * mebibyte), 0);
    ::close(fd);
    return path;
}

size_t coveredBytes(const std::vector<FileMap::Region>& regions) {
    size_t total = 0;
    for (const auto& region : regions) total += region.length;
    return total;
}

// Every byte that is not zero lies in a region: a hole is only ever a run
// of zeros. Where the file system tells holes apart, they are left out.
TEST(FileMap, DataRegionsCoverEveryByteAndLeaveOutHoles) {
    TemporaryDirectory folder;
    const ImageBytes image = fs::readWholeFile(sparseFile(folder));
    for (const auto& [from, length] : std::vector<std::pair<size_t, size_t>>{
             {0, 4 * mebibyte}, {100, 3 * mebibyte}, {2 * mebibyte + 10, 100}, {mebibyte, 4096}}) {
        const ImageBytes part = image.slice(static_cast<int64_t>(from), static_cast<int64_t>(length));
        const auto regions = FileMap::dataRegions(part);
        std::vector<bool> inRegion(length, false);
        size_t previousEnd = 0;
        for (const auto& region : regions) {
            ASSERT_GE(region.offset, previousEnd) << "in order, not overlapping";
            ASSERT_LE(region.offset + region.length, length);
            std::fill_n(inRegion.begin() + static_cast<std::ptrdiff_t>(region.offset), region.length, true);
            previousEnd = region.offset + region.length;
        }
        for (size_t index = 0; index < length; ++index) {
            if (part[index] != 0) {
                ASSERT_TRUE(inRegion[index]) << "byte " << index << " of the part at " << from;
            }
        }
        if (coveredBytes(FileMap::dataRegions(image)) == image.size()) {
            GTEST_SKIP() << "this file system does not tell where a file's holes are";
        }
        EXPECT_LE(coveredBytes(regions), std::min<size_t>(length, 2 * 4096 + 2 * 65536)) << from;
    }
    // Bytes that are not in a map of a file are all data.
    const ImageBytes copied = ImageBytes::copyOf(image.slice(0, 8192));
    const auto regions = FileMap::dataRegions(copied);
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0].length, 8192u);
}

}  // namespace
}  // namespace zorv
