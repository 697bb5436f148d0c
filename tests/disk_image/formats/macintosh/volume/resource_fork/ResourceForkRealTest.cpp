// Resource forks of files on real HFS volumes of the shared corpus, read
// through the volume's fork reading.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
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
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

// The resource forks of the files of a corpus HFS volume (unwrapped from Disk
// Copy 4.2 where it is one), by path of names joined by ":"; nothing when the
// corpus does not hold it or it does not open.
std::optional<std::map<std::string, ImageBytes>> corpusForks(const std::string& relativePath) {
    auto bytes = testing::corpusImage(relativePath);
    if (!bytes) return std::nullopt;
    if (DiskCopy42::hasSignature(*bytes)) bytes = DiskCopy42::extractedImage(*bytes);
    const auto volume = HFSVolume::fromImageData(*bytes);
    if (!volume) return std::nullopt;
    std::map<std::string, ImageBytes> forks;
    std::vector<std::string> path;
    for (const FileHierarchyElement& element : volume->fileHierarchy()) {
        path.resize(static_cast<size_t>(element.level));
        path.push_back(element.item->name());
        std::optional<ImageBytes> fork;
        if (!element.item->isFolder())
            testing::mayThrowOwnErrors("getFork", [&] { fork = volume->getFork(ForkType::resource, element.item); });
        if (!fork) continue;
        std::string joined = path[0];
        for (size_t k = 1; k < path.size(); ++k) joined += ":" + path[k];
        forks.emplace(joined, *fork);
    }
    return forks;
}

std::multiset<std::string> namesOfType(const ResourceFork& fork, const std::string& type) {
    std::multiset<std::string> names;
    for (const auto& resource : fork.resources.at(type)) names.insert(resource.resourceName());
    return names;
}

struct CorpusVolume {
    const char* image;
    // Applications by path, with the creator code hfsutils lists: their
    // owner resource has it as type and number 0, and their bundle begins
    // with it.
    std::map<std::string, std::string> applications;
};

class CorpusResourceForks : public ::testing::TestWithParam<CorpusVolume> {};

// Every fork reads, each of its resources is found by type and signed
// number, its colour tables and icons decode, and an 8-bit icon with a mask
// of the same number is white outside it, as the Finder draws it.
TEST_P(CorpusResourceForks, EveryForkReadsAndAnswersItsLookups) {
    const auto forks = corpusForks(GetParam().image);
    if (!forks) GTEST_SKIP() << GetParam().image << " is not in the corpus";
    ASSERT_FALSE(forks->empty());
    const ColorTable palette(ColorTable::clut8());
    for (const auto& [path, bytes] : *forks) {
        SCOPED_TRACE(path);
        testing::mustNotThrow("ResourceFork", [&] {
            const ResourceFork fork(bytes);
            EXPECT_EQ(fork.getclut(8)->ctTable, palette.ctTable);
            for (const auto& [type, resources] : fork.resources) {
                for (const auto& resource : resources) {
                    const int16_t id = static_cast<int16_t>(resource.resourceID);
                    EXPECT_TRUE(fork.getResource(type, id)) << type << " " << id;
                    const size_t size = resource.resourceData.size();
                    if (type == "clut") {
                        EXPECT_TRUE(fork.getclut(id));
                    } else if (type == "SICN") {
                        EXPECT_EQ(SICNIcon(resource.resourceData).pixelArray.size(), size / 2);
                    }
                    if (type != "icl8") continue;
                    const ICL8Icon icon(resource.resourceData, palette);
                    EXPECT_EQ(icon.pixelArray.size(), size / 32);
                    const auto iconList = fork.getResource("ICN#", id);
                    if (!GetParam().applications.contains(path) || size != 1024 || !iconList || iconList->size() != 256)
                        continue;
                    for (size_t y = 0; y < 32; ++y) {
                        for (size_t x = 0; x < 32; ++x) {
                            if (((*iconList)[128 + y * 4 + x / 8] >> (7 - x % 8)) & 1) continue;
                            EXPECT_EQ(icon.pixelArray[y][x], Color::white) << type << " " << id << " " << x << "," << y;
                        }
                    }
                }
            }
        });
    }
    for (const auto& [path, creator] : GetParam().applications) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(forks->contains(path));
        const ResourceFork fork(forks->at(path));
        EXPECT_TRUE(fork.getResource(creator, 0));
        const ImageBytes& bundle = fork.resources.at("BNDL").at(0).resourceData;
        EXPECT_EQ(std::string(bundle.begin(), bundle.begin() + 4), creator);
    }
}

constexpr const char* kSystem608 = "hfs/im-System_6.0.8_System_Startup.img";
constexpr const char* kDiskTools81 = "dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk";

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusResourceForks,
    ::testing::Values(CorpusVolume{kSystem608,
                                   {{"TeachText", "ttxt"},
                                    {"Installer", "cfbj"},
                                    {"Disk First Aid", "Scav"},
                                    {"Apple HD SC Setup", "scsi"},
                                    {"System Folder:System", "MACS"}}},
                      CorpusVolume{kDiskTools81, {{"Disk First Aid", "scav"}, {"System Folder:System", "MACS"}}},
                      CorpusVolume{"hfs/im-System_3.3.dsk", {}}, CorpusVolume{"hfs/hr-importfl-1.2.2.dsk", {}},
                      CorpusVolume{"hfs/hr-ResEdit_2.1.3.img", {}}, CorpusVolume{"dc42/cp2-Installer_Disk_1.image", {}},
                      CorpusVolume{"dc42/dcr-DART_1.5.3.image", {}}),
    testing::namedBy(&CorpusVolume::image));

// The System file names its fonts and sounds, and its clut 127 gives the
// table its 72 bytes hold.
TEST(RealResourceForks, SystemFileNamesItsResourcesAndHoldsItsColourTable) {
    const auto forks = corpusForks(kSystem608);
    if (!forks) GTEST_SKIP() << kSystem608 << " is not in the corpus";
    const ResourceFork fork(forks->at("System Folder:System"));
    EXPECT_EQ(namesOfType(fork, "FOND"),
              (std::multiset<std::string>{"Chicago", "Courier", "Geneva", "Helvetica", "Monaco", "Symbol", "Times"}));
    EXPECT_EQ(namesOfType(fork, "snd "), (std::multiset<std::string>{"Boing", "Clink-Klank", "Monkey", "Simple Beep"}));
    ASSERT_EQ(fork.getResource("clut", 127)->size(), 72u);
    const auto clut = fork.getclut(127);
    ASSERT_EQ(clut->ctTable.size(), 8u);
    EXPECT_EQ((*clut)[0], Color::black);
    EXPECT_EQ(clut->ctTable[6], (ColorSpec{6, 0, 0, 0xD400}));
    EXPECT_EQ((*clut)[7], Color::white);
}

}  // namespace
}  // namespace zorv
