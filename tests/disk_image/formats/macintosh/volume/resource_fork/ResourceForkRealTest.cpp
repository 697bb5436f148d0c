// Resource forks of files on real HFS volumes of the shared corpus, read
// through the volume's fork reading.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

constexpr const char* kSystem608 = "hfs/im-System_6.0.8_System_Startup.img";
constexpr const char* kDiskTools81 = "dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk";

// An HFS volume of the corpus, unwrapped from Disk Copy 4.2 where it is one;
// nothing when the corpus does not hold it.
std::optional<HFSVolume> corpusVolume(const std::string& relativePath) {
    auto bytes = testing::corpusImage(relativePath);
    if (!bytes) return std::nullopt;
    if (DiskCopy42::hasSignature(*bytes)) bytes = DiskCopy42::extractedImage(*bytes);
    return HFSVolume::fromImageData(*bytes);
}

// The item at a path of names from the root; null when there is none.
VolumeItem itemAt(const HFSVolume& volume, const std::vector<std::string>& path) {
    VolumeItem item;
    for (const std::string& name : path) {
        VolumeItem found;
        for (int64_t i = 0; i < volume.numberOfChildrenOfItem(item) && !found; ++i) {
            const VolumeItem child = volume.child(i, item);
            if (child->name() == name) found = child;
        }
        if (!found) return nullptr;
        item = found;
    }
    return item;
}

// The resource fork of the file at the path, parsed.
std::optional<ResourceFork> resourceForkAt(const HFSVolume& volume, const std::vector<std::string>& path) {
    const VolumeItem item = itemAt(volume, path);
    if (!item) return std::nullopt;
    const auto fork = volume.getFork(ForkType::resource, item);
    if (!fork) return std::nullopt;
    return ResourceFork(*fork);
}

std::multiset<std::string> namesOfType(const ResourceFork& fork, const std::string& type) {
    std::multiset<std::string> names;
    for (const auto& resource : fork.resources.at(type)) names.insert(resource.resourceName);
    return names;
}

class System608Test : public ::testing::Test {
protected:
    void SetUp() override {
        volume = corpusVolume(kSystem608);
        if (!volume) GTEST_SKIP() << kSystem608 << " is not in the corpus";
    }
    std::optional<HFSVolume> volume;
};

TEST_F(System608Test, SystemFileListsItsFontsAndSoundsByName) {
    const auto fork = resourceForkAt(*volume, {"System Folder", "System"});
    ASSERT_TRUE(fork);
    EXPECT_EQ(namesOfType(*fork, "FOND"),
              (std::multiset<std::string>{"Chicago", "Courier", "Geneva", "Helvetica", "Monaco", "Symbol", "Times"}));
    EXPECT_EQ(namesOfType(*fork, "snd "), (std::multiset<std::string>{"Boing", "Clink-Klank", "Monkey", "Simple Beep"}));
}

TEST_F(System608Test, SystemFileVersionResourceNamesTheRelease) {
    const auto fork = resourceForkAt(*volume, {"System Folder", "System"});
    ASSERT_TRUE(fork);
    // 'vers' 1: BCD version, stage, revision, region, then the short version
    // text as a Pascal string.
    const auto vers = fork->getResource("vers", 1);
    ASSERT_TRUE(vers);
    ASSERT_GE(vers->size(), 12u);
    EXPECT_EQ((*vers)[0], 0x06);
    EXPECT_EQ((*vers)[1], 0x08);
    EXPECT_EQ(std::string(vers->begin() + 7, vers->begin() + 7 + (*vers)[6]), "6.0.8");
}

TEST_F(System608Test, ClutResourceGivesTheTableItsBytesHold) {
    const auto fork = resourceForkAt(*volume, {"System Folder", "System"});
    ASSERT_TRUE(fork);
    const auto bytes = fork->getResource("clut", 127);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 72u);
    const auto clut = fork->getclut(127);
    ASSERT_TRUE(clut);
    EXPECT_EQ(clut->ctSize, 7);
    ASSERT_EQ(clut->ctTable.size(), 8u);
    for (size_t k = 0; k < clut->ctTable.size(); ++k) EXPECT_EQ(clut->ctTable[k].value, static_cast<int64_t>(k));
    EXPECT_EQ((*clut)[0], Color::black);
    EXPECT_EQ((*clut)[7], Color::white);
    EXPECT_EQ(clut->ctTable[6], (ColorSpec{6, 0, 0, 0xD400}));
}

TEST_F(System608Test, RandomlyDamagedForkNeverFails) {
    // Random bytes of TeachText's fork overwritten, and the fork cut short:
    // it reads, and its lookups and icons answer, without an error or a read
    // outside its bytes.
    const VolumeItem item = itemAt(*volume, {"TeachText"});
    ASSERT_TRUE(item);
    const auto original = volume->getFork(ForkType::resource, item);
    ASSERT_TRUE(original);
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = original->toBytes();
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            // Most of the damage goes to the header and the map at the end.
            const size_t span = random() % 2 ? bytes.size() : std::min<size_t>(bytes.size(), 600);
            const size_t at = random() % 2 ? random() % 16 : bytes.size() - 1 - random() % span;
            bytes[at] = static_cast<uint8_t>(random());
        }
        if (round % 5 == 0) bytes.resize(random() % (bytes.size() + 1));
        testing::mustNotThrow("damaged fork", [&] {
            const ResourceFork fork{ImageBytes(bytes)};
            for (const auto& [type, resources] : fork.resources) {
                for (const auto& resource : resources) {
                    fork.getclut(static_cast<int16_t>(resource.resourceID));
                    ICL8Icon(resource.resourceData, ColorTable(resource.resourceData));
                    SICNIcon{resource.resourceData};
                }
            }
        });
    }
}

// An application's resources name it: its owner resource has its creator
// code as type and number 0, and its bundle begins with that code.
struct Application {
    const char* image;
    std::vector<std::string> path;
    const char* creator;  // as hfsutils lists it
};

class ApplicationForkTest : public ::testing::TestWithParam<Application> {};

TEST_P(ApplicationForkTest, OwnerResourceAndBundleCarryTheCreatorCode) {
    const Application& application = GetParam();
    const auto volume = corpusVolume(application.image);
    if (!volume) GTEST_SKIP() << application.image << " is not in the corpus";
    const auto fork = resourceForkAt(*volume, application.path);
    ASSERT_TRUE(fork);
    EXPECT_TRUE(fork->getResource(application.creator, 0));
    ASSERT_TRUE(fork->resources.contains("BNDL"));
    const ImageBytes& bundle = fork->resources.at("BNDL").at(0).resourceData;
    ASSERT_GE(bundle.size(), 4u);
    EXPECT_EQ(std::string(bundle.begin(), bundle.begin() + 4), application.creator);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ApplicationForkTest,
    ::testing::Values(Application{kSystem608, {"TeachText"}, "ttxt"},
                      Application{kSystem608, {"Installer"}, "cfbj"},
                      Application{kSystem608, {"Disk First Aid"}, "Scav"},
                      Application{kSystem608, {"Apple HD SC Setup"}, "scsi"},
                      Application{kSystem608, {"System Folder", "System"}, "MACS"},
                      Application{kDiskTools81, {"Disk First Aid"}, "scav"},
                      Application{kDiskTools81, {"System Folder", "System"}, "MACS"}),
    [](const auto& info) { return "item" + std::to_string(info.index); });

class DiskTools81Test : public ::testing::Test {
protected:
    void SetUp() override {
        volume = corpusVolume(kDiskTools81);
        if (!volume) GTEST_SKIP() << kDiskTools81 << " is not in the corpus";
    }
    std::optional<HFSVolume> volume;
};

TEST_F(DiskTools81Test, ClutWhoseCountExceedsItsBytesKeepsTheEntriesPresent) {
    const auto fork = resourceForkAt(*volume, {"System Folder", "System"});
    ASSERT_TRUE(fork);
    // clut 5 of this System file announces 2306 entries in 131 bytes.
    const auto clut = fork->getclut(5);
    ASSERT_TRUE(clut);
    EXPECT_EQ(clut->ctSize, 2305);
    EXPECT_EQ(clut->ctTable.size(), (131u - 8) / 8);
    EXPECT_EQ((*clut)[2305], Color::black);

    // clut -10208: a grey ramp from white to black.
    const auto ramp = fork->getclut(-10208);
    ASSERT_TRUE(ramp);
    ASSERT_EQ(ramp->ctTable.size(), 10u);
    EXPECT_EQ((*ramp)[0], Color::white);
    EXPECT_EQ((*ramp)[9], Color::black);
}

TEST_F(DiskTools81Test, ColourIconIsWhiteOutsideItsMask) {
    const auto fork = resourceForkAt(*volume, {"Disk First Aid"});
    ASSERT_TRUE(fork);
    const auto pixels = fork->getResource("icl8", 129);
    const auto iconList = fork->getResource("ICN#", 129);
    ASSERT_TRUE(pixels && iconList);
    ASSERT_EQ(iconList->size(), 256u);
    const ICL8Icon icon(*pixels, *fork->getclut(8));
    ASSERT_EQ(icon.pixelArray.size(), 32u);
    // The black-and-white icon list holds the icon, then its mask (128
    // bytes each, 1 bit per pixel): the Finder draws no pixel outside the
    // mask, and colour icons leave those white.
    int64_t inside = 0;
    int64_t coloured = 0;
    for (size_t y = 0; y < 32; ++y) {
        ASSERT_EQ(icon.pixelArray[y].size(), 32u);
        for (size_t x = 0; x < 32; ++x) {
            const bool masked = ((*iconList)[128 + y * 4 + x / 8] >> (7 - x % 8)) & 1;
            const Color& color = icon.pixelArray[y][x];
            if (!masked) {
                EXPECT_EQ(color, Color::white) << x << "," << y;
                continue;
            }
            ++inside;
            if (color != Color::white) ++coloured;
        }
    }
    EXPECT_GT(inside, 0);
    EXPECT_GT(coloured, inside / 2);
}

// Every resource fork of every corpus HFS volume reads without an error, and
// its colour tables and icons decode.
class ResourceForksOfCorpusTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ResourceForksOfCorpusTest, EveryForkReads) {
    const auto volume = corpusVolume(GetParam());
    if (!volume) GTEST_SKIP() << GetParam() << " is not in the corpus (or does not open)";
    std::vector<VolumeItem> folders{nullptr};
    int64_t forks = 0;
    while (!folders.empty()) {
        const VolumeItem folder = folders.back();
        folders.pop_back();
        for (int64_t i = 0; i < volume->numberOfChildrenOfItem(folder); ++i) {
            const VolumeItem item = volume->child(i, folder);
            if (item->isFolder()) {
                folders.push_back(item);
                continue;
            }
            std::optional<ImageBytes> bytes;
            testing::mayThrowOwnErrors("getFork", [&] { bytes = volume->getFork(ForkType::resource, item); });
            if (!bytes) continue;
            ++forks;
            testing::mustNotThrow("ResourceFork", [&] {
                const ResourceFork fork(*bytes);
                for (const auto& [type, resources] : fork.resources) {
                    for (const auto& resource : resources) {
                        const int64_t id = resource.resourceID >= 32768 ? resource.resourceID - 65536 : resource.resourceID;
                        EXPECT_TRUE(fork.getResource(type, id)) << type << " " << id;
                        const size_t size = resource.resourceData.size();
                        if (type == "clut") {
                            EXPECT_TRUE(fork.getclut(id));
                        } else if (type == "SICN") {
                            EXPECT_EQ(SICNIcon(resource.resourceData).pixelArray.size(), size / 2);
                        } else if (type == "icl8") {
                            EXPECT_EQ(ICL8Icon(resource.resourceData, *fork.getclut(8)).pixelArray.size(), size / 32);
                        }
                    }
                }
            });
        }
    }
    EXPECT_GT(forks, 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ResourceForksOfCorpusTest,
                         ::testing::Values(kSystem608, kDiskTools81, "hfs/im-System_3.3.dsk",
                                           "hfs/hr-importfl-1.2.2.dsk", "hfs/hr-ResEdit_2.1.3.img",
                                           "dc42/cp2-Installer_Disk_1.image", "dc42/dcr-DART_1.5.3.image"),
                         [](const auto& info) { return "volume" + std::to_string(info.index); });

}  // namespace
}  // namespace zorv
