// TOS floppies opened from damaged or unusual bytes: a real floppy made by
// mtools with fields or entries changed. Each ends at once, with a volume or
// with a clear error.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"
#include "disk_image/formats/atari_st/tos/TOSDiskError.hpp"
#include "platform/FileSystem.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/MtoolsFloppy.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::MtoolsFloppy;

// A DSDD floppy by mtools: /AUTO/START.PRG (2,000 bytes, two clusters) and
// /TEXT (100 bytes), with helpers to change its bytes in place.
class TOSDamagedFloppy : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
        const MtoolsFloppy floppy(folder.file("floppy.st"));
        floppy.makeFolder("/AUTO");
        floppy.copyIn(Bytes(2000, 'p'), "/AUTO/START.PRG");
        floppy.copyIn(Bytes(100, 't'), "/TEXT");
        image = fs::readWholeFile(floppy.imagePath()).toBytes();
        const TOSDisk disk{ImageBytes(image)};
        autoCluster = entryNamed(disk, "AUTO").startingCluster;
    }

    static const TOSDirectoryEntry& entryNamed(const TOSDisk& disk, const std::string& name) {
        for (const auto& entry : disk.entries()) {
            if (entry->name() == name) return *entry;
        }
        throw std::runtime_error("no entry " + name);
    }

    void setWord(size_t offset, int64_t value) {
        image[offset] = static_cast<uint8_t>(value);
        image[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
    int64_t word(size_t offset) const { return image[offset] | image[offset + 1] << 8; }
    size_t fatOffset() const { return static_cast<size_t>(word(14) * 512); }
    size_t rootOffset() const { return fatOffset() + static_cast<size_t>(image[16] * word(22) * 512); }
    size_t clusterOffset(int64_t cluster) const {
        return rootOffset() + static_cast<size_t>(word(17) * 32 + (cluster - 2) * image[13] * 512);
    }
    // Sets the FAT entry of a cluster in the first copy.
    void setFATEntry(int64_t cluster, int64_t value) {
        const size_t at = fatOffset() + static_cast<size_t>(cluster * 3 / 2);
        if (cluster % 2 == 0) {
            image[at] = static_cast<uint8_t>(value);
            image[at + 1] = static_cast<uint8_t>((image[at + 1] & 0xF0) | (value >> 8));
        } else {
            image[at] = static_cast<uint8_t>((image[at] & 0x0F) | (value & 0x0F) << 4);
            image[at + 1] = static_cast<uint8_t>(value >> 4);
        }
    }
    // Writes a directory entry at a byte offset.
    void putEntry(size_t offset, const std::string& nameAndExtension, uint8_t attributes, int64_t cluster,
                  int64_t size = 0) {
        std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(offset), 32, 0);
        std::copy(nameAndExtension.begin(), nameAndExtension.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
        image[offset + 11] = attributes;
        setWord(offset + 24, 0x2A21);  // 2001-01-01
        setWord(offset + 26, cluster);
        setWord(offset + 28, size);
    }
    TOSDisk opened() const { return TOSDisk(ImageBytes(image)); }

    testing::TemporaryDirectory folder;
    Bytes image;
    int64_t autoCluster = 0;
};

// Not a TOS disk, so detection goes on; the layouts no FAT12 floppy has are
// invalidVolumeLayout.
TEST_F(TOSDamagedFloppy, LayoutsNoFAT12FloppyHasAreRefused) {
    const Bytes good = image;
    const size_t rootEnd = rootOffset() + static_cast<size_t>(word(17) * 32);
    const std::vector<std::tuple<const char*, std::function<void()>, bool>> damages{
        {"no sectors per cluster", [&] { image[13] = 0; }, true},
        {"data area past the sectors", [&] { setWord(19, 10); }, true},
        {"FAT too short for the clusters", [&] { setWord(22, 1); }, true},
        {"4,087 clusters", [&] {
             image[13] = 1;
             setWord(19, 4087 + 34);
             setWord(22, 13);
             image.resize(static_cast<size_t>(4087 + 34) * 512, 0);
         }, true},
        {"sectors of 256 bytes", [&] { setWord(11, 256); }, false},
        {"image ending inside the root directory", [&] { image.resize(rootEnd - 512); }, false},
    };
    for (const auto& [what, damage, badLayout] : damages) {
        SCOPED_TRACE(what);
        image = good;
        damage();
        if (badLayout) {
            testing::expectError<TOSDiskError>(TOSDiskError::Case::invalidVolumeLayout, [&] { opened(); });
        }
        EXPECT_FALSE(TOSDisk::fromImageData(ImageBytes(image)).has_value());
    }
}

TEST_F(TOSDamagedFloppy, NoGeometryGivesNoTracks) {
    setWord(24, 0);
    EXPECT_EQ(opened().trackCount(), 0);
    setWord(24, 9);
    setWord(26, 0);
    EXPECT_EQ(opened().trackCount(), 0);
}

// A start cluster outside the data area is an empty chain (the chains
// themselves: TOSFAT's test): fewer bytes than the size is an error.
TEST_F(TOSDamagedFloppy, AStartOutsideTheDataGivesNoBytes) {
    const size_t text = rootOffset() + 32;  // TEXT's entry
    setWord(text + 26, 0);
    const TOSDisk disk = opened();
    testing::expectError<TOSDiskError>(TOSDiskError::Case::fileSizeMismatch,
                                       [&] { disk.contentsOf(entryNamed(disk, "TEXT")); });
    setWord(text + 28, 0);
    const TOSDisk empty = opened();
    EXPECT_TRUE(empty.contentsOf(entryNamed(empty, "TEXT")).empty());
}

// AUTO holds ".", "..", START.PRG; after them come a folder that is AUTO
// itself, one that is the root, one that starts outside the data area, and
// ODD, whose own directory holds a folder that is ODD again. Each folder
// that cannot be walked is listed, empty.
TEST_F(TOSDamagedFloppy, FoldersThatCannotBeWalkedAreListedEmpty) {
    const size_t autoDirectory = clusterOffset(autoCluster);
    const int64_t spare = opened().fat().clusterCount + 1;
    putEntry(autoDirectory + 3 * 32, "SELF       ", 0x10, autoCluster);
    putEntry(autoDirectory + 4 * 32, "ROOT       ", 0x10, 0);
    putEntry(autoDirectory + 5 * 32, "OUTSIDE    ", 0x10, 0xFFF);
    putEntry(autoDirectory + 6 * 32, "ODD        ", 0x10, spare);
    setFATEntry(spare, 0xFFF);
    putEntry(clusterOffset(spare), ".          ", 0x10, spare);
    putEntry(clusterOffset(spare) + 32, "ODD        ", 0x10, spare);
    const TOSDisk disk = opened();

    std::vector<std::tuple<std::string, bool, int64_t>> listed;  // path, folder, children
    for (const FileHierarchyElement& element : disk.fileHierarchy()) {
        listed.emplace_back(std::string(static_cast<size_t>(element.level), '/') + element.item->name(),
                            element.item->isFolder(), disk.numberOfChildrenOfItem(element.item));
    }
    using Listed = std::tuple<std::string, bool, int64_t>;
    EXPECT_EQ(listed, (std::vector<Listed>{{"AUTO", true, 5}, {"/START.PRG", false, 0}, {"/SELF", true, 0},
                                           {"/ROOT", true, 0}, {"/OUTSIDE", true, 0}, {"/ODD", true, 1},
                                           {"//ODD", true, 0}, {"TEXT", false, 0}}));
}

// A date word of 0 names no date: the entry, and the volume whose label it
// is, have none.
TEST_F(TOSDamagedFloppy, AZeroDateWordIsNoDate) {
    putEntry(rootOffset() + 2 * 32, "GAMES      ", 0x08, 0);
    setWord(rootOffset() + 2 * 32 + 24, 0);
    setWord(rootOffset() + 32 + 22, 0x1234);  // TEXT: a time, but no date
    setWord(rootOffset() + 32 + 24, 0);
    const TOSDisk disk = opened();
    EXPECT_EQ(disk.creationDate(), std::nullopt);
    EXPECT_EQ(entryNamed(disk, "TEXT").creationDate(), std::nullopt);
    EXPECT_EQ(entryNamed(disk, "TEXT").modificationDate(), std::nullopt);
    EXPECT_TRUE(entryNamed(disk, "AUTO").creationDate().has_value());
}

// After AUTO: a never-used slot where TEXT was (later slots are still
// read), a volume label, a file, a deleted entry and a name whose first
// character is 0xE5, stored as 0x05.
TEST_F(TOSDamagedFloppy, RootEntriesOfEveryKind) {
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(rootOffset() + 32), 32, 0);
    putEntry(rootOffset() + 2 * 32, "GAMES      ", 0x08, 0);
    putEntry(rootOffset() + 3 * 32, "LATE    TXT", 0x20, 0);
    putEntry(rootOffset() + 4 * 32, "\xE5ONE    TXT", 0x20, 0);
    putEntry(rootOffset() + 5 * 32, "\x05" "BCD    TXT", 0x20, 0);
    const TOSDisk disk = opened();
    std::vector<std::string> listed;
    for (int64_t index = 0; index < disk.numberOfChildrenOfItem(nullptr); ++index) {
        listed.push_back(disk.child(index, nullptr)->name());
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"AUTO", "GAMES", "LATE.TXT", "\u03C3BCD.TXT"}));  // 0xE5 is sigma
    EXPECT_EQ(disk.volumeName(), "GAMES");
    ASSERT_TRUE(disk.creationDate().has_value());
    EXPECT_EQ(disk.creationDate(), entryNamed(disk, "GAMES").fileDateTime);
}

}  // namespace
}  // namespace zorv
