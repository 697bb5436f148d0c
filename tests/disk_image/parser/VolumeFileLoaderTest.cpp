// Volume files turned into volume descriptors: which images qualify, the
// name, bytes and type of their descriptors, and the errors of the others.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverCatalog.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"
#include "disk_image/parser/DetectionImages.hpp"
#include "disk_image/parser/VolumeFileLoader.hpp"
#include "platform/FileSystem.hpp"
#include "platform/HFSTypeAndCreator.hpp"
#include "support/Corpus.hpp"
#include "support/HfsTool.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::corpusFile;
using testing::TemporaryDirectory;

URL writeFile(const TemporaryDirectory& folder, const std::string& name, const Bytes& bytes) {
    const std::string path = folder.file(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return URL::fileURLWithPath(path);
}

URL corpusURL(const std::filesystem::path& path) { return URL::fileURLWithPath(path.string()); }

// The description carried by unuseableVolumeType, or the case name of any
// other error.
std::string refusal(const URL& url) {
    try {
        VolumeFileLoader::loadParseableFile(url);
        return "accepted";
    } catch (const VolumeDescriptorError& error) {
        return error.errorCase == VolumeDescriptorError::Case::unuseableVolumeType ? error.text : error.what();
    } catch (const ImageParserError& error) {
        return ImageParserError::caseName(error.errorCase);
    }
}

TEST(VolumeFileLoader, HfsutilsVolumeGivesOneHFSDescriptorOverItsBytes) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    const TemporaryDirectory folder;
    testing::HfsTool tool;
    const std::string image = folder.file("volume.img");
    tool.formatNewImage(image, "Loaded", 819200);
    tool.unmount();
    const ImageBytes bytes = fs::readWholeFile(image);

    const auto descriptors = VolumeFileLoader::loadParseableFile(URL::fileURLWithPath(image));
    ASSERT_EQ(descriptors.size(), 1u);
    EXPECT_EQ(descriptors[0].name(), "Loaded");
    EXPECT_EQ(descriptors[0].volumeType(), VolumeType::hfs);
    EXPECT_EQ(descriptors[0].startBlock(), 0);
    EXPECT_EQ(descriptors[0].sizeInBlocks, 1600);
    EXPECT_EQ(descriptors[0].dataBlock(), bytes);

    // The same volume in a Disk Copy image: the descriptor holds the volume,
    // not the container.
    const URL wrapped = writeFile(folder, "volume.image", testing::diskCopyImage(bytes.toBytes()));
    const auto unwrapped = VolumeFileLoader::loadParseableFile(wrapped);
    ASSERT_EQ(unwrapped.size(), 1u);
    EXPECT_EQ(unwrapped[0].name(), "Loaded");
    EXPECT_EQ(unwrapped[0].dataBlock(), bytes);
}

TEST(VolumeFileLoader, CorpusVolumesOfTheThreeKinds) {
    struct LoadCase {
        const char* file;
        VolumeType type;
        const char* name;
        int64_t sizeInBlocks;
    };
    const std::vector<LoadCase> cases{
        {"dc42/cp2-Installer_Disk_1.image", VolumeType::hfs, "Installer Disk 1", 1600},
        {"hfs/mr-hfs400K.dsk", VolumeType::hfs, "Untitled", 800},
        {"prodos/cp2-simple-dir-test.po", VolumeType::proDOS, "DIRTEST", 280},
        {"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", VolumeType::proDOS, "SYSTEM.DISK", 1600},
        // The volume unwrapped from its 2IMG container, the header left out.
        {"2img/cp2-prodos-disk.2mg", VolumeType::proDOS, "FORKED", 280},
    };
    for (const LoadCase& c : cases) {
        const auto path = corpusFile(c.file);
        if (!path) continue;
        SCOPED_TRACE(c.file);
        const auto descriptors = VolumeFileLoader::loadParseableFile(corpusURL(*path));
        ASSERT_EQ(descriptors.size(), 1u);
        EXPECT_EQ(descriptors[0].name(), c.name);
        EXPECT_EQ(descriptors[0].sizeInBlocks, c.sizeInBlocks);
        EXPECT_EQ(static_cast<int64_t>(descriptors[0].dataBlock().size()), c.sizeInBlocks * 512);
        EXPECT_EQ(descriptors[0].startBlock(), 0);
    }
}

TEST(VolumeFileLoader, DeviceGivesEachVolumePartition) {
    const auto path = corpusFile("apm/mr-combined.dsk");
    if (!path) GTEST_SKIP() << "mr-combined.dsk is not in the corpus";
    const auto descriptors = VolumeFileLoader::loadParseableFile(corpusURL(*path));
    // HFS at block 5 (1600 blocks), MFS at 1605 (2880), ProDOS at 4485 (1600).
    std::multiset<int64_t> sizes;
    for (const auto& descriptor : descriptors) sizes.insert(descriptor.sizeInBlocks);
    EXPECT_EQ(sizes, (std::multiset<int64_t>{1600, 1600, 2880}));
}

TEST(VolumeFileLoader, DeviceWithoutVolumesGivesNone) {
    const TemporaryDirectory folder;
    const URL url = URL::fileURLWithPath(folder.file("empty.hda"));
    auto creator = MacintoshImageCreator::withCapacityInMB(url, 1);
    creator.partition({}, SCSIDriverCatalog::shared().driverAtIndex(0));
    creator.create(true);
    EXPECT_TRUE(VolumeFileLoader::loadParseableFile(url).empty());
}

TEST(VolumeFileLoader, OtherFormatsAreRefusedWithTheirDescription) {
    const TemporaryDirectory folder;
    Bytes mfs(409600, 0);
    mfs[1024] = 0xD2;
    mfs[1025] = 0xD7;
    EXPECT_EQ(refusal(writeFile(folder, "mfs.img", mfs)), helpfulDescription(ImageFormat::mfs));
    EXPECT_EQ(refusal(writeFile(folder, "zeros.img", Bytes(4096, 0))), helpfulDescription(ImageFormat::emptyVolume));
    EXPECT_EQ(refusal(writeFile(folder, "dos.do", DOS33Disk::dos33AsData().toBytes())),
              helpfulDescription(ImageFormat::dos33));
    EXPECT_EQ(refusal(writeFile(folder, "short.img", Bytes(1023, 0))), "nonParseableImage");
    Bytes unknown(4096, 0);
    unknown[100] = 1;
    EXPECT_EQ(refusal(writeFile(folder, "unknown.img", unknown)), "unknownVolumeType");
}

TEST(VolumeFileLoader, HFSPlusVolumesAreRefused) {
    const auto path = corpusFile("hfsplus/dfvfs-hfsplus.raw");
    if (!path) GTEST_SKIP() << "dfvfs-hfsplus.raw is not in the corpus";
    EXPECT_EQ(refusal(corpusURL(*path)), helpfulDescription(ImageFormat::hfsPlus));
}

TEST(VolumeFileLoader, IgnoresTheFilesHFSCodes) {
    // Detection gets no file URL, so an NDIF-coded file is never refused as
    // NDIF: its bytes alone decide.
    const TemporaryDirectory folder;
    Bytes unknown(4096, 0);
    unknown[100] = 1;
    const URL url = writeFile(folder, "ndif.img", unknown);
    try {
        fs::setHFSTypeAndCreator(
            url, {fromLongBigEndian(Bytes{'d', 'i', 'm', 'g'}), fromLongBigEndian(Bytes{'d', 'd', 's', 'k'})});
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) GTEST_SKIP() << "this file system keeps no extended attributes";
        throw;
    }
    EXPECT_EQ(refusal(url), "unknownVolumeType");
}

TEST(VolumeFileLoader, AMissingFileIsTheHostsError) {
    const TemporaryDirectory folder;
    EXPECT_THROW(VolumeFileLoader::loadParseableFile(URL::fileURLWithPath(folder.file("absent.img"))),
                 std::system_error);
}

}  // namespace
}  // namespace zorv
