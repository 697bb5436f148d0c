#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

#include "platform/FileSystem.hpp"
#include "platform/HFSTypeAndCreator.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

constexpr uint32_t dimg = 0x64696D67;
constexpr uint32_t ddsk = 0x6464736B;

TEST(HFSTypeAndCreator, KeptInTheFinderInformation) {
    TemporaryDirectory folder;
    const std::string path = folder.file("image");
    std::ofstream(path) << "x";
    const URL url = URL::fileURLWithPath(path);
    EXPECT_EQ(fs::hfsTypeAndCreator(url), std::nullopt) << "no Finder information yet";

    // Finder information as a Mac leaves it: codes, flags (0x0100, inited), location.
    Bytes finderInfo(32, 0);
    finderInfo[8] = 0x01;
    finderInfo[11] = 0x2A;
    try {
        fs::setExtendedAttribute(url, finderInfo, "com.apple.FinderInfo");
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) GTEST_SKIP() << "this file system keeps no extended attributes";
        throw;
    }
    EXPECT_EQ(fs::hfsTypeAndCreator(url), (fs::HFSTypeAndCreator{0, 0}));

    fs::setHFSTypeAndCreator(url, {dimg, ddsk});
    EXPECT_EQ(fs::hfsTypeAndCreator(url), (fs::HFSTypeAndCreator{dimg, ddsk}));
    const Bytes written = fs::extendedAttribute(url, "com.apple.FinderInfo").value();
    EXPECT_EQ(written, (Bytes{'d', 'i', 'm', 'g', 'd', 'd', 's', 'k', 0x01, 0, 0, 0x2A,
                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
        << "the rest of the Finder information stays";

    fs::setExtendedAttribute(url, Bytes{'d', 'i', 'm', 'g', 'd', 'd', 's'}, "com.apple.FinderInfo");
    EXPECT_EQ(fs::hfsTypeAndCreator(url), std::nullopt) << "Finder information too short for both codes";

    const std::string fresh = folder.file("fresh");
    std::ofstream(fresh) << "x";
    fs::setHFSTypeAndCreator(URL::fileURLWithPath(fresh), {dimg, ddsk});
    EXPECT_EQ(fs::extendedAttribute(URL::fileURLWithPath(fresh), "com.apple.FinderInfo")->size(), 32u);
}

TEST(HFSTypeAndCreator, FilesWithoutCodes) {
    TemporaryDirectory folder;
    EXPECT_EQ(fs::hfsTypeAndCreator(URL::fileURLWithPath(folder.file("missing"))), std::nullopt);
    EXPECT_EQ(fs::hfsTypeAndCreator(*URL::parse("file://")), std::nullopt) << "an empty path";
    EXPECT_EQ(fs::hfsTypeAndCreator(*URL::parse("https://example.com/image.img")), std::nullopt);
    try {
        fs::setHFSTypeAndCreator(URL::fileURLWithPath(folder.file("missing")), {dimg, ddsk});
        ADD_FAILURE();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
}

}  // namespace
}  // namespace zorv
