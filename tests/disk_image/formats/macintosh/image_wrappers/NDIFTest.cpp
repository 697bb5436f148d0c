#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/image_wrappers/NDIF.hpp"
#include "platform/FileSystem.hpp"
#include "platform/HFSTypeAndCreator.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

uint32_t code(const char (&text)[5]) { return fromLongBigEndian(ByteView(reinterpret_cast<const uint8_t*>(text), 4)); }

// A file in a folder of its own, with the given codes when there are some.
// Answers nothing when the file system keeps no extended attributes.
std::optional<URL> imageFile(const TemporaryDirectory& folder, std::optional<fs::HFSTypeAndCreator> codes) {
    const std::string path = folder.file("image");
    std::ofstream(path) << "image";
    const URL url = URL::fileURLWithPath(path);
    if (!codes) return url;
    try {
        fs::setHFSTypeAndCreator(url, *codes);
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) return std::nullopt;
        throw;
    }
    return url;
}

const char* const noExtendedAttributes = "this file system keeps no extended attributes";

// What the volume test answers: readable or not, or it fails.
enum class Volume { readable, unreadable, failing };

NDIF::ReadableVolumeTest volumeTest(Volume volume, int* calls) {
    return [volume, calls](const ImageBytes&) -> bool {
        ++*calls;
        if (volume == Volume::failing) throw std::runtime_error("cannot build the volume descriptors");
        return volume == Volume::readable;
    };
}

TEST(NDIF, IsNeverUnpacked) {
    for (const ImageBytes& image : {ImageBytes(), ImageBytes(Bytes(1024, 0)), ImageBytes(Bytes(84 + 512, 0))}) {
        testing::expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::unextractableImage,
                                                             [&] { NDIF::extractedImage(image); });
    }
}

TEST(NDIF, RecognisedByTheHostCodesOfAFileWithoutAVolume) {
    struct Case {
        const char* what;
        std::optional<fs::HFSTypeAndCreator> codes;
        Volume volume;
        bool expected;
        bool volumeLookedAt;
    };
    const std::vector<Case> cases = {
        {"a read-only image", fs::HFSTypeAndCreator{code("rohd"), code("ddsk")}, Volume::unreadable, true, true},
        {"a compressed image", fs::HFSTypeAndCreator{code("hdcm"), code("ddsk")}, Volume::unreadable, true, true},
        {"a read-write image", fs::HFSTypeAndCreator{code("dimg"), code("ddsk")}, Volume::unreadable, true, true},
        {"NDIF codes on a readable volume", fs::HFSTypeAndCreator{code("dimg"), code("ddsk")}, Volume::readable,
         false, true},
        {"a volume test that fails", fs::HFSTypeAndCreator{code("dimg"), code("ddsk")}, Volume::failing, false,
         true},
        {"the codes of Disk Copy 4.2", fs::HFSTypeAndCreator{code("dImg"), code("dCpy")}, Volume::unreadable, false,
         false},
        {"another creator", fs::HFSTypeAndCreator{code("dimg"), code("dCpy")}, Volume::unreadable, false, false},
        {"another type", fs::HFSTypeAndCreator{code("dImg"), code("ddsk")}, Volume::unreadable, false, false},
        {"type and creator swapped", fs::HFSTypeAndCreator{code("ddsk"), code("dimg")}, Volume::unreadable, false,
         false},
        {"zero codes", fs::HFSTypeAndCreator{0, 0}, Volume::unreadable, false, false},
        {"no codes", std::nullopt, Volume::unreadable, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryDirectory folder;
        const auto url = imageFile(folder, c.codes);
        if (!url) GTEST_SKIP() << noExtendedAttributes;
        int calls = 0;
        EXPECT_EQ(NDIF::isPossiblyNDIF(*url, Bytes(1024, 0), volumeTest(c.volume, &calls)), c.expected);
        EXPECT_EQ(calls, c.volumeLookedAt ? 1 : 0) << "the volume is looked at only for the NDIF codes";
    }
}

TEST(NDIF, URLsThatNameNoImageFile) {
    TemporaryDirectory folder;
    const auto url = imageFile(folder, fs::HFSTypeAndCreator{code("dimg"), code("ddsk")});
    if (!url) GTEST_SKIP() << noExtendedAttributes;
    int calls = 0;
    const auto unreadable = volumeTest(Volume::unreadable, &calls);
    // The folder itself carrying the codes must not turn it into an image.
    fs::setHFSTypeAndCreator(URL::fileURLWithPath(folder.path().string()), {code("dimg"), code("ddsk")});

    EXPECT_TRUE(NDIF::isPossiblyNDIF(*url, Bytes(), unreadable)) << "the control case";
    EXPECT_FALSE(NDIF::isPossiblyNDIF(*url, Bytes(), nullptr)) << "no volume test";
    EXPECT_FALSE(NDIF::isPossiblyNDIF(*URL::parse("file://"), Bytes(), unreadable)) << "an empty path";
    EXPECT_FALSE(NDIF::isPossiblyNDIF(URL::fileURLWithPath(folder.path().string()), Bytes(), unreadable));
    EXPECT_FALSE(NDIF::isPossiblyNDIF(URL::fileURLWithPath(folder.file("missing")), Bytes(), unreadable));
    EXPECT_FALSE(NDIF::isPossiblyNDIF(*URL::parse("https://example.com/image"), Bytes(), unreadable));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    EXPECT_FALSE(NDIF::isPossiblyNDIF(URL::fileURLWithPath(""), Bytes(), unreadable))
        << "an empty path names the current folder";
    std::filesystem::current_path(previous);
}

TEST(NDIFCorpus, ARealDiskCopy42FileWithItsFinderInformation) {
    // CiderPress2 keeps the Finder information of "Installer Disk 1.image" in
    // its AppleDouble file: entry 9, 32 bytes at offset 136.
    const auto image = testing::corpusFile("dc42/cp2-Installer_Disk_1.image");
    const auto appleDouble = testing::corpusFile("dc42/cp2-Installer_Disk_1.image.appledouble-header");
    if (!image || !appleDouble) {
        GTEST_SKIP() << "dc42/cp2-Installer_Disk_1.image and its AppleDouble file are not in the corpus";
    }
    const ImageBytes header = fs::readWholeFile(appleDouble->string());
    ASSERT_EQ(fromLongBigEndian(header.view().subspan(26 + 2 * 12, 4)), 9u) << "the Finder information entry";
    const ImageBytes finderInfo = header.slice(136, 32);

    TemporaryDirectory folder;
    const std::string copy = folder.file("Installer Disk 1.image");
    std::filesystem::copy_file(*image, copy);
    const URL url = URL::fileURLWithPath(copy);
    try {
        fs::setExtendedAttribute(url, finderInfo, "com.apple.FinderInfo");
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) GTEST_SKIP() << noExtendedAttributes;
        throw;
    }
    EXPECT_EQ(fs::hfsTypeAndCreator(url), (fs::HFSTypeAndCreator{code("dImg"), code("dCpy")}));
    int calls = 0;
    EXPECT_FALSE(NDIF::isPossiblyNDIF(url, fs::readWholeFile(copy), volumeTest(Volume::unreadable, &calls)));
}

TEST(NDIFCorpus, RealNDIFImages) {
    const std::filesystem::path folder = std::filesystem::path(ZORV_CORPUS_DIR) / "ndif";
    std::error_code error;
    std::vector<std::filesystem::path> images;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().extension() != ".md") images.push_back(entry.path());
    }
    if (images.empty()) {
        GTEST_SKIP() << "no NDIF image in " << folder.string()
                     << ": none with its resource fork was found in a public repository (ndif/NOT_FOUND.md)";
    }
    // An NDIF data fork is not a bare volume: with the NDIF codes it is
    // recognised, and it is never unpacked.
    for (const auto& path : images) {
        SCOPED_TRACE(path.string());
        TemporaryDirectory scratch;
        const std::string copy = scratch.file("image");
        std::filesystem::copy_file(path, copy);
        const URL url = URL::fileURLWithPath(copy);
        try {
            fs::setHFSTypeAndCreator(url, {code("rohd"), code("ddsk")});
        } catch (const std::system_error& failure) {
            if (failure.code().value() == ENOTSUP) GTEST_SKIP() << noExtendedAttributes;
            throw;
        }
        const ImageBytes bytes = fs::readWholeFile(copy);
        const auto bareVolume = [](const ImageBytes& data) {
            if (data.size() < 1026) return false;
            const uint16_t signature = fromBigEndian(data.view().subspan(1024, 2));
            return signature == 0x4244 || signature == 0x482B;
        };
        EXPECT_TRUE(NDIF::isPossiblyNDIF(url, bytes, bareVolume));
        EXPECT_THROW(NDIF::extractedImage(bytes), ImageWrapperRepresentableError);
    }
}

}  // namespace
}  // namespace zorv
