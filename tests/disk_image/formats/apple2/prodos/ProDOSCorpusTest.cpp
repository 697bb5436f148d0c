// Real ProDOS volumes from the shared corpus (../shared/corpus): bare in both
// sector orders, inside a 2IMG container, a Disk Copy 4.2 image and the
// Apple_PRODOS partitions of two device images. The expectations are those
// CiderPress2's own tests assert on these images (quoted in the corpus
// MANIFEST.md), the volumes' known layouts and known Applesoft programs.
// Each test skips when its image is absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "platform/FileSystem.hpp"
#include "ProDOSImageBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/ItemPaths.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::ProDOSImageBuilder;

uint32_t littleEndian32(const ImageBytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t bigEndian32(const ImageBytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

enum class Container { none, twoIMG, diskCopy };

struct Source {
    std::string path;
    Container container = Container::none;
    int64_t partitionStart = 0;   // in blocks, for a partition of a device
    int64_t partitionLength = 0;  // in blocks; 0 for the whole image
};

// The volume's bytes: the file itself, the data of a 2IMG container (offset
// and length at bytes 24 and 28 of its header, little-endian), the data of a
// Disk Copy 4.2 image (84 header bytes, length at byte 64, big-endian), or a
// partition of a device image.
std::optional<ImageBytes> volumeBytes(const Source& source) {
    const auto found = testing::corpusFile(source.path);
    if (!found) return std::nullopt;
    const ImageBytes file = fs::readWholeFile(found->string());
    switch (source.container) {
        case Container::twoIMG: return file.slice(littleEndian32(file, 24), littleEndian32(file, 28));
        case Container::diskCopy: return file.slice(84, bigEndian32(file, 64));
        case Container::none: break;
    }
    if (source.partitionLength > 0) return file.slice(source.partitionStart * 512, source.partitionLength * 512);
    return file;
}

#define OPEN_OR_SKIP(volume, source)                                                           \
    const auto volume##ImageData = volumeBytes(source);                                            \
    if (!volume##ImageData) GTEST_SKIP() << (source).path << " is not in the corpus";              \
    const auto volume = ProDOSVolume::fromImageData(*volume##ImageData);                           \
    ASSERT_TRUE(volume) << (source).path << " does not open as a ProDOS volume"

using testing::itemsByPath;

const ProDOSVolumeFileEntry& asEntry(const VolumeItem& item) {
    return dynamic_cast<const ProDOSVolumeFileEntry&>(*item);
}

std::vector<std::string> paths(const ProDOSVolume& volume) {
    std::vector<std::string> names;
    for (const auto& [path, item] : itemsByPath(volume)) names.push_back(path);
    return names;
}

VolumeItem itemAt(const ProDOSVolume& volume, const std::string& path) {
    for (const auto& [name, item] : itemsByPath(volume)) {
        if (name == path) return item;
    }
    ADD_FAILURE() << "no item " << path;
    return nullptr;
}

std::string text(const std::optional<ImageBytes>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

// Every item reads: folders give their key block, Applesoft programs a
// listing, extended files both forks of the sizes their entries give, any
// other file exactly its end of file (up to what its storage type holds).
void expectEveryForkReads(const ProDOSVolume& volume) {
    for (const auto& [path, item] : itemsByPath(volume)) {
        const ProDOSVolumeFileEntry& entry = asEntry(item);
        std::optional<ImageBytes> data;
        ASSERT_NO_THROW(data = volume.getFork(ForkType::data, item)) << path;
        ASSERT_TRUE(data) << path;
        if (entry.isFolder()) {
            EXPECT_EQ(data->size(), 512u) << path;
        } else if (entry.storageType == ProDOSStorageType::extendedFile) {
            std::optional<ImageBytes> resource;
            ASSERT_NO_THROW(resource = volume.getFork(ForkType::resource, item)) << path;
            ASSERT_TRUE(resource) << path;
            if (entry.internalFileType != 0xFC) {
                EXPECT_EQ(static_cast<int64_t>(data->size() + resource->size()), entry.logicalSizeInBytes()) << path;
            }
        } else if (entry.internalFileType != 0xFC) {
            const int64_t capacity = entry.storageType == ProDOSStorageType::seedling  ? 512
                                     : entry.storageType == ProDOSStorageType::sapling ? 131072
                                                                                       : 33554432;
            EXPECT_EQ(static_cast<int64_t>(data->size()), std::min(entry.eof, capacity)) << path;
            EXPECT_FALSE(volume.getFork(ForkType::resource, item)) << path;
        }
    }
}

const Source simpleDirTest{"prodos/cp2-simple-dir-test.po"};
const Source simpleSparse{"prodos/cp2-simple-sparse.po"};
const Source extendedDO{"prodos/cp2-extended.do"};
const Source forkedTwoIMG{"2img/cp2-prodos-disk.2mg", Container::twoIMG};

// /DIRTEST: SUBDIR1 holds A to O and SUBDIR2, which holds A1 to A26 and
// SUBDIR3, which holds LEAF; children sorted by name in byte order.
std::vector<std::string> dirTestPaths() {
    std::vector<std::string> expected{"FILES.ADD.WITH", "PRODOS.1.1.1", "SUBDIR1"};
    for (char c = 'A'; c <= 'O'; ++c) expected.push_back(std::string("SUBDIR1/") + c);
    expected.push_back("SUBDIR1/SUBDIR2");
    std::vector<std::string> inner;
    for (int i = 1; i <= 26; ++i) inner.push_back("A" + std::to_string(i));
    std::sort(inner.begin(), inner.end());
    for (const std::string& name : inner) expected.push_back("SUBDIR1/SUBDIR2/" + name);
    expected.push_back("SUBDIR1/SUBDIR2/SUBDIR3");
    expected.push_back("SUBDIR1/SUBDIR2/SUBDIR3/LEAF");
    return expected;
}

TEST(ProDOSCorpusTest, DirectoryTestVolume) {
    OPEN_OR_SKIP(volume, simpleDirTest);
    EXPECT_TRUE(volume->disk().proDOSOrder);
    // The name field holds "DIRTEST0" with a length of 7, as ProDOS shows it.
    EXPECT_EQ(volume->volumeName(), "DIRTEST");
    EXPECT_EQ(volume->totalCapacityInBytes(), 280 * 512);
    EXPECT_EQ(volume->totalCountOfFiles(), 3);
    EXPECT_EQ(paths(*volume), dirTestPaths());

    const std::map<std::string, std::pair<int64_t, int64_t>> folderSizes{
            {"SUBDIR1", {1024, 2}}, {"SUBDIR1/SUBDIR2", {1536, 3}}, {"SUBDIR1/SUBDIR2/SUBDIR3", {512, 1}}};
    for (const auto& [path, item] : itemsByPath(*volume)) {
        if (item->isFolder()) {
            EXPECT_EQ(item->logicalSizeInBytes(), folderSizes.at(path).first) << path;
            EXPECT_EQ(item->physicalSizeInBytes(), folderSizes.at(path).second * 512) << path;
            continue;
        }
        // Every file is the same 13-byte Applesoft program.
        EXPECT_EQ(item->kind(), "AppleSoft BASIC program") << path;
        EXPECT_EQ(item->fileExtension(), ".BAS") << path;
        EXPECT_EQ(item->logicalSizeInBytes(), 13) << path;
        EXPECT_EQ(item->physicalSizeInBytes(), 512) << path;
        EXPECT_EQ(text(volume->getFork(ForkType::data, item)), "100 TEXT:NORMAL:HOME\n") << path;
    }
    EXPECT_EQ(volume->tree(itemAt(*volume, "SUBDIR1/SUBDIR2/SUBDIR3/LEAF")),
              (std::vector<std::string>{"SUBDIR3", "SUBDIR2", "SUBDIR1", "DIRTEST - Apple II (ProDOS)"}));
}

TEST(ProDOSCorpusTest, DirectoryTestVolumeInDOSOrder) {
    const auto bytes = volumeBytes(simpleDirTest);
    if (!bytes) GTEST_SKIP() << simpleDirTest.path << " is not in the corpus";
    Bytes dos = ProDOSImageBuilder::toDOSOrder(bytes->toBytes());

    const auto signed_ = ProDOSVolume::fromImageData(ImageBytes(dos));
    ASSERT_TRUE(signed_);
    EXPECT_FALSE(signed_->disk().proDOSOrder) << "read in place, whatever the boot blocks hold";
    EXPECT_EQ(paths(*signed_), dirTestPaths());
    EXPECT_EQ(signed_->dataInProDOSBlockOrder(), *bytes);

    std::fill(dos.begin(), dos.begin() + 4, 0);
    const auto unsigned_ = ProDOSVolume::fromImageData(ImageBytes(dos));
    ASSERT_TRUE(unsigned_);
    EXPECT_FALSE(unsigned_->disk().proDOSOrder);
    EXPECT_EQ(paths(*unsigned_), dirTestPaths());
    EXPECT_EQ(text(unsigned_->getFork(ForkType::data, itemAt(*unsigned_, "SUBDIR1/SUBDIR2/SUBDIR3/LEAF"))),
              "100 TEXT:NORMAL:HOME\n");
    Bytes expected = bytes->toBytes();
    std::fill(expected.begin(), expected.begin() + 4, 0);
    EXPECT_EQ(unsigned_->dataInProDOSBlockOrder(), expected);
}

// The byte-counter pattern of the SIZES files: GEN/MKSIZES saves them from
// an 8 KiB buffer counting 0 to 254 over and over, the larger ones in 8 KiB
// chunks.
bool isCounterPattern(const ImageBytes& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != i % 8192 % 255) return false;
    }
    return true;
}

TEST(ProDOSCorpusTest, SimpleSparseSizes) {
    OPEN_OR_SKIP(volume, simpleSparse);
    EXPECT_EQ(volume->volumeName(), "SIMPLE.SPARSE");
    EXPECT_EQ(volume->totalCapacityInBytes(), 1600 * 512);
    EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), 5);
    // Name, end of file and blocks used, as CiderPress2 asserts them.
    const std::vector<std::tuple<std::string, int64_t, int64_t>> sizes{
            {"L0", 0, 1},          {"L1", 1, 1},          {"L131072", 131072, 257}, {"L131073", 131073, 260},
            {"L2", 2, 1},          {"L511", 511, 1},      {"L512", 512, 1},         {"L513", 513, 3},
            {"L8192", 8192, 17}};
    const VolumeItem folder = itemAt(*volume, "SIZES");
    ASSERT_EQ(volume->numberOfChildrenOfItem(folder), static_cast<int64_t>(sizes.size()));
    for (size_t i = 0; i < sizes.size(); ++i) {
        const auto& [name, length, blocks] = sizes[i];
        const VolumeItem item = volume->child(static_cast<int64_t>(i), folder);
        EXPECT_EQ(item->name(), name);
        EXPECT_EQ(item->logicalSizeInBytes(), length) << name;
        EXPECT_EQ(item->physicalSizeInBytes(), blocks * 512) << name;
        EXPECT_EQ(item->kind(), "Binary") << name;
        const auto data = volume->getFork(ForkType::data, item);
        ASSERT_TRUE(data) << name;
        EXPECT_EQ(static_cast<int64_t>(data->size()), length) << name;
        EXPECT_TRUE(isCounterPattern(*data)) << name;
    }
    expectEveryForkReads(*volume);
}

TEST(ProDOSCorpusTest, SimpleSparseFiles) {
    OPEN_OR_SKIP(volume, simpleSparse);
    const std::vector<std::tuple<std::string, int64_t, int64_t>> sizes{{"MAX.SAPLING", 16777215, 3},
                                                                      {"MAX.SEEDLING", 16777215, 1},
                                                                      {"MIN.MAX.TREE", 16777215, 5},
                                                                      {"RANDOM.TXT", 18434, 11},
                                                                      {"SPARSE.BIN", 10241, 12}};
    const VolumeItem folder = itemAt(*volume, "SPARSE");
    ASSERT_EQ(volume->numberOfChildrenOfItem(folder), 5);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const auto& [name, length, blocks] = sizes[i];
        const VolumeItem item = volume->child(static_cast<int64_t>(i), folder);
        EXPECT_EQ(item->name(), name);
        EXPECT_EQ(item->logicalSizeInBytes(), length) << name;
        EXPECT_EQ(item->physicalSizeInBytes(), blocks * 512) << name;
    }

    // A tree with one byte in its first block and one before its end: the
    // master index block's empty entries between them stand for zeros.
    const auto tree = volume->getFork(ForkType::data, itemAt(*volume, "SPARSE/MIN.MAX.TREE"));
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->size(), 16777215u);
    EXPECT_EQ((*tree)[0xFFFFFE], 100);
    EXPECT_EQ(std::count(tree->begin(), tree->end(), 0), 16777215 - 1);

    // One byte written at 0x200 of a sapling, the rest a hole.
    const auto sapling = volume->getFork(ForkType::data, itemAt(*volume, "SPARSE/MAX.SAPLING"));
    ASSERT_TRUE(sapling);
    ASSERT_EQ(sapling->size(), 131072u);
    EXPECT_EQ((*sapling)[0x200], 207);
    EXPECT_EQ(std::count(sapling->begin(), sapling->end(), 0), 131072 - 1);

    // SPARSE.BIN: byte i at 1,024 * i, zeros between.
    const auto bin = volume->getFork(ForkType::data, itemAt(*volume, "SPARSE/SPARSE.BIN"));
    ASSERT_TRUE(bin);
    ASSERT_EQ(bin->size(), 10241u);
    for (size_t i = 0; i <= 10; ++i) EXPECT_EQ((*bin)[1024 * i], i);
    EXPECT_EQ(std::count(bin->begin(), bin->end(), 0), 10241 - 10);

    // RANDOM.TXT: records of 2,048 bytes, record i starting with its digit
    // and a carriage return.
    const auto records = volume->getFork(ForkType::data, itemAt(*volume, "SPARSE/RANDOM.TXT"));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 18434u);
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ((*records)[2048 * i], '0' + i);
        EXPECT_EQ((*records)[2048 * i + 1], '\r');
    }
}

TEST(ProDOSCorpusTest, SimpleSparseDates) {
    const testing::ScopedTimeZone zone("UTC");
    OPEN_OR_SKIP(volume, simpleSparse);
    // ProDOS 8 2.0.3 carries the date of its release, 6 May 1993, 17:10.
    const VolumeItem prodos = itemAt(*volume, "PRODOS");
    EXPECT_EQ(prodos->creationDate()->secondsSince1970, 736708200);
    EXPECT_EQ(prodos->modificationDate()->secondsSince1970, 736708200);
    EXPECT_EQ(prodos->kind(), "ProDOS 8 system application");
    EXPECT_EQ(prodos->fileExtension(), ".SYS");
    EXPECT_EQ(asEntry(itemAt(*volume, "BASIC.SYSTEM")).auxType, 0x2000);
}

TEST(ProDOSCorpusTest, ApplesoftProgramListing) {
    OPEN_OR_SKIP(volume, simpleSparse);
    const char* const expected =
            "100 TEXT:NORMAL:HOME\n"
            "200 D$ = CHR$(4):PRINT D$\"prefix /Simple.Sparse/Sparse\"\n"
            "210 POKE 8192,100\n"
            "220 PRINT D$\"bsave min.max.tree,a8192,l1,b$fffffe\"\n"
            "295 PRINT \"Creating SPARSE.BIN...\"\n"
            "300 FOR I = 0 TO 10:POKE 8192,I\n"
            "310 PRINT D$\"bsave sparse.bin,a8192,l1,b\";1024 * I\n"
            "320 NEXT\n"
            "395 PRINT \"Creating RANDOM.TXT...\"\n"
            "400 PRINT D$\"open random.txt,L2048\"\n"
            "410 FOR I = 0 TO 9\n"
            "420 PRINT D$\"write random.txt,R\";I\n"
            "430 PRINT I:NEXT\n"
            "440 PRINT D$\"close\"\n"
            "1000 PRINT D$\"catalog\"\n"
            "4999 END\n"
            "5000 D$ = CHR$(4):PRINT D$\"prefix /Simple.Sparse/Sparse\"\n"
            "5010 PRINT D$\"delete min.max.tree\"\n"
            "5020 PRINT D$\"delete sparse.bin\"\n"
            "5030 PRINT D$\"delete random.txt\"\n"
            "5999 END\n"
            "6000 D$ = CHR$(4)\n"
            "6010 PRINT D$\"save /Simple.Sparse/Gen/mksparse\"\n";
    const VolumeItem program = itemAt(*volume, "GEN/MKSPARSE");
    EXPECT_EQ(program->type()->string(), "TEXT");
    EXPECT_EQ(text(volume->getFork(ForkType::data, program)), expected);

    const std::string sizes = text(volume->getFork(ForkType::data, itemAt(*volume, "GEN/MKSIZES")));
    EXPECT_EQ(sizes.substr(0, 21), "100 TEXT:NORMAL:HOME\n");
    EXPECT_NE(sizes.find("\n150 D$ = CHR$(4)\n"), std::string::npos);
    EXPECT_NE(sizes.find("\n200 PRINT D$\"bsave L0,a$2000,l0\"\n"), std::string::npos);
    EXPECT_NE(sizes.find("\n300 FOR ST = 0 TO 122880 STEP 8192\n"), std::string::npos);
}

TEST(ProDOSCorpusTest, BlankVolumes) {
    const std::vector<std::tuple<std::string, std::string, int64_t>> blanks{
            {"prodos/cp2-blank-140k.po", "BLANK140", 280}, {"prodos/cp2-blank-800k.po", "BLANK800", 1600}};
    for (const auto& [path, name, blocks] : blanks) {
        const auto bytes = volumeBytes({path});
        if (!bytes) continue;
        const auto volume = ProDOSVolume::fromImageData(*bytes);
        ASSERT_TRUE(volume) << path;
        EXPECT_EQ(volume->volumeName(), name);
        EXPECT_EQ(volume->totalCapacityInBytes(), blocks * 512);
        EXPECT_EQ(volume->freeCapacityInBytes(), (blocks - 7) * 512) << "boot blocks, directory and bitmap";
        EXPECT_EQ(volume->totalCountOfFiles(), 0);
        EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), 0);
        // What the formatter lays out: the same directory chain and bitmap.
        const ProDOSVolume made = ProDOSVolume::blankVolume(blocks);
        for (int64_t block = 3; block < 6; ++block) {
            EXPECT_EQ(volume->disk().getProDOSBlock(block), made.disk().getProDOSBlock(block)) << path << " " << block;
        }
        const int64_t bitmapBlocks = blocks / 4096 + 1;
        EXPECT_EQ(volume->disk().getBlockAtPosition(6, bitmapBlocks), made.disk().getBlockAtPosition(6, bitmapBlocks))
                << path;
    }
}

// Free space as the volume bitmap has it, read through the sector order of
// a DOS-ordered file. The DOS/ProDOS hybrid gives its DOS 3.3 half tracks
// that the ProDOS bitmap marks used and no ProDOS entry accounts for.
TEST(ProDOSCorpusTest, FreeSpaceComesFromTheBitmap) {
    const auto bytes = volumeBytes({"dos33/cp2-hybrid-dos-prodos.do"});
    if (!bytes) GTEST_SKIP() << "dos33/cp2-hybrid-dos-prodos.do is not in the corpus";
    const auto hybrid = ProDOSVolume::fromImageData(*bytes);
    ASSERT_TRUE(hybrid);
    EXPECT_FALSE(hybrid->disk().proDOSOrder);
    EXPECT_EQ(hybrid->volumeName(), "DOUBLE.DOS.DISK");
    EXPECT_EQ(hybrid->freeCapacityInBytes(), 58 * 512);
}

// /FORKED, in DOS order and in a 2IMG container: two extended files.
void expectForkedVolume(const ProDOSVolume& volume) {
    EXPECT_EQ(volume.volumeName(), "FORKED");
    EXPECT_EQ(paths(volume), (std::vector<std::string>{"EXTTEXT", "HELVETICA"}));

    const VolumeItem text = itemAt(volume, "EXTTEXT");
    EXPECT_EQ(text->kind(), "ASCII text");
    EXPECT_EQ(text->type()->string(), "TEXT");
    EXPECT_EQ(text->logicalSizeInBytes(), 226 + 60);
    EXPECT_EQ(text->physicalSizeInBytes(), 2 * 512);
    const auto data = volume.getFork(ForkType::data, text);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->size(), 226u);
    EXPECT_EQ(std::string(data->begin(), data->begin() + 29), "This is a simple text file.\r\n");
    EXPECT_EQ(zorv::text(volume.getFork(ForkType::resource, text)),
              "This is a fake resource fork, just to have some data here.\r\n");

    const VolumeItem font = itemAt(volume, "HELVETICA");
    EXPECT_EQ(font->kind(), "TrueType font");
    EXPECT_EQ(font->logicalSizeInBytes(), 112602);
    EXPECT_EQ(font->physicalSizeInBytes(), (1 + 221) * 512);
    EXPECT_EQ(volume.getFork(ForkType::data, font)->size(), 0u);
    EXPECT_EQ(volume.getFork(ForkType::resource, font)->size(), 112602u);
    expectEveryForkReads(volume);
}

TEST(ProDOSCorpusTest, ExtendedFilesInDOSOrder) {
    OPEN_OR_SKIP(volume, extendedDO);
    EXPECT_FALSE(volume->disk().proDOSOrder);
    EXPECT_EQ(volume->disk().structureData.data(), volumeImageData->data()) << "read in place, not copied";
    expectForkedVolume(*volume);

    // Without the signature it reads the same.
    Bytes unsigned_ = volumeBytes(extendedDO)->toBytes();
    std::fill(unsigned_.begin(), unsigned_.begin() + 4, 0);
    const auto dosOrdered = ProDOSVolume::fromImageData(ImageBytes(unsigned_));
    ASSERT_TRUE(dosOrdered);
    EXPECT_FALSE(dosOrdered->disk().proDOSOrder);
    expectForkedVolume(*dosOrdered);
    Bytes rearranged = volume->dataInProDOSBlockOrder().toBytes();
    std::fill(rearranged.begin(), rearranged.begin() + 4, 0);
    EXPECT_EQ(dosOrdered->dataInProDOSBlockOrder(), rearranged);
}

TEST(ProDOSCorpusTest, ExtendedFilesInA2IMGContainer) {
    OPEN_OR_SKIP(volume, forkedTwoIMG);
    EXPECT_TRUE(volume->disk().proDOSOrder);
    expectForkedVolume(*volume);
    // The same volume as the DOS-ordered file, fork for fork.
    const auto dos = volumeBytes(extendedDO);
    if (!dos) return;
    const auto other = ProDOSVolume::fromImageData(*dos);
    ASSERT_TRUE(other);
    for (const std::string path : {"EXTTEXT", "HELVETICA"}) {
        for (const ForkType fork : {ForkType::data, ForkType::resource}) {
            EXPECT_EQ(volume->getFork(fork, itemAt(*volume, path)), other->getFork(fork, itemAt(*other, path))) << path;
        }
    }
}

TEST(ProDOSCorpusTest, DiskCopyImage) {
    OPEN_OR_SKIP(volume, (Source{"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", Container::diskCopy}));
    EXPECT_EQ(volume->volumeName(), "SYSTEM.DISK");
    EXPECT_EQ(volume->totalCapacityInBytes(), 1600 * 512);
    std::vector<std::string> root;
    for (int64_t i = 0; i < volume->numberOfChildrenOfItem(nullptr); ++i) {
        const VolumeItem item = volume->child(i, nullptr);
        root.push_back(item->name() + (item->isFolder() ? "/" : ""));
    }
    EXPECT_EQ(root, (std::vector<std::string>{"BASIC.SYSTEM", "FINDER.DATA", "ICONS/", "PRODOS", "SYSTEM/"}));
    EXPECT_EQ(asEntry(itemAt(*volume, "SYSTEM/SYSTEM.SETUP/SYS.RESOURCES")).storageType,
              ProDOSStorageType::extendedFile);
    expectEveryForkReads(*volume);
}

TEST(ProDOSCorpusTest, DevicePartitions) {
    OPEN_OR_SKIP(mixed, (Source{"apm/cp2-apm-prodos-hfs.iso", Container::none, 4, 1600}));
    EXPECT_EQ(mixed->volumeName(), "MIXED.DISK");
    EXPECT_EQ(paths(*mixed), (std::vector<std::string>{"BASIC.SYSTEM", "DOS.3.3", "PRODOS"}));
    expectEveryForkReads(*mixed);

    OPEN_OR_SKIP(system, (Source{"apm/mr-combined.dsk", Container::none, 4485, 1600}));
    EXPECT_EQ(system->volumeName(), "SYSTEM.DISK");
    EXPECT_EQ(system->totalCountOfFiles(), 9);
    EXPECT_EQ(system->numberOfChildrenOfItem(nullptr), 9);
    expectEveryForkReads(*system);
}

// Listings of other tools, when the corpus has them: every name this volume
// reports appears in the listing of its image.
TEST(ProDOSCorpusTest, NamesAppearInOracleListings) {
    const std::filesystem::path folder = std::filesystem::path(ZORV_CORPUS_DIR) / "prodos" / "oracles";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        GTEST_SKIP() << "the corpus has no ProDOS oracle listings (prodos/oracles/); the assertions above stand in";
    }
    int checked = 0;
    for (const auto& listing : std::filesystem::directory_iterator(folder)) {
        // Listings are named after their image: "<image>.<tool>.txt".
        const std::string file = listing.path().filename().string();
        for (const auto& image : std::filesystem::directory_iterator(folder.parent_path())) {
            const std::string imageName = image.path().filename().string();
            if (!image.is_regular_file() || file.rfind(imageName + ".", 0) != 0) continue;
            const auto volume = ProDOSVolume::fromImageData(fs::readWholeFile(image.path().string()));
            ASSERT_TRUE(volume) << imageName;
            std::string oracle;
            for (const uint8_t byte : fs::readWholeFile(listing.path().string())) {
                oracle.push_back(static_cast<char>(std::toupper(byte)));
            }
            for (const auto& [path, item] : itemsByPath(*volume)) {
                EXPECT_NE(oracle.find(item->name()), std::string::npos) << item->name() << " in " << file;
            }
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "no listing in prodos/oracles/ names an image of prodos/";
}

}  // namespace
}  // namespace zorv
