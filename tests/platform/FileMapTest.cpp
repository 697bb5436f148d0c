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

// Every byte that is not zero lies in a region, in order and inside the
// bytes asked about: a hole is only ever a run of zeros. Where the file
// system tells holes apart, they are left out.
TEST(FileMap, DataRegionsCoverEveryByteAndLeaveOutHoles) {
    TemporaryDirectory folder;
    const ImageBytes image = fs::readWholeFile(sparseFile(folder));
    const bool tellsHoles = FileMap::dataRegions(image).size() > 1;
    for (const auto& [from, length] : std::vector<std::pair<size_t, size_t>>{
             {0, 4 * mebibyte}, {100, 3 * mebibyte}, {2 * mebibyte + 10, 100}, {mebibyte, 4096}}) {
        const ImageBytes part = image.slice(static_cast<int64_t>(from), static_cast<int64_t>(length));
        size_t covered = 0;
        size_t end = 0;
        size_t dataInRegions = 0;
        for (const auto& region : FileMap::dataRegions(part)) {
            ASSERT_GE(region.offset, end);
            end = region.offset + region.length;
            ASSERT_LE(end, length);
            covered += region.length;
            dataInRegions += static_cast<size_t>(std::count_if(part.begin() + region.offset,
                                                               part.begin() + region.offset + region.length,
                                                               [](uint8_t byte) { return byte != 0; }));
        }
        EXPECT_EQ(dataInRegions, static_cast<size_t>(std::count_if(part.begin(), part.end(),
                                                                   [](uint8_t byte) { return byte != 0; })));
        if (tellsHoles) {
            EXPECT_LE(covered, std::min<size_t>(length, 2 * 4096 + 2 * 65536)) << from;
        }
    }
    // Bytes that are not in a map of a file are all data.
    const auto regions = FileMap::dataRegions(ImageBytes::copyOf(image.slice(0, 8192)));
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0].length, 8192u);
}

}  // namespace
}  // namespace zorv
