#include "cli/EndToEnd.hpp"

#include <tuple>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSImageBuilder.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/parser/DetectionImages.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HfsTool.hpp"
#include "support/LidoDevice.hpp"
#include "support/QueuedImage.hpp"
#include "support/SyntheticHfsVolume.hpp"

// `zorv convert` as a user runs it: to-device, to-volume and replace-lido on
// real files, their help, their messages in order, their output files.
namespace zorv::testing {
namespace {

// A small HFS volume made without any tool: 21 blocks.
Bytes hfsVolume(const std::string& name = "Small HFS") {
    SyntheticHfsVolume volume;
    volume.volumeName = name;
    SyntheticHfsVolume::File file;
    file.name = "Hello";
    file.fileID = 16;
    file.dataFork = Bytes(600, 'h');
    volume.files.push_back(file);
    return volume.build();
}

// A ProDOS volume of 280 blocks in ProDOS order with one file, HELLO.
Bytes proDOSVolume(const std::string& name = "CONVERTED") {
    ProDOSImageBuilder builder(280, name);
    ProDOSEntryFields file;
    file.name = "HELLO";
    file.fileType = 0x04;
    file.keyPointer = 7;
    file.eof = 5;
    builder.putEntry(2, 1, file);
    builder.headerByte(33) = 1;
    std::copy_n("HELLO", 5, builder.at(7, 0));
    return builder.image;
}

// A device of the given volumes and driver, as the device builder makes it.
Bytes deviceImage(int64_t blockCount, const std::vector<VolumeDescriptor>& volumes,
                  const SCSIDriver& driver = SCSIDriver::appleHDSC735()) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(URL::fileURLWithPath("/tmp/never-written.hda"),
                                                               blockCount);
    creator.partition(volumes, driver);
    return imageOfQueue(creator.physicalFile);
}

const std::string typeLineOfDevice = "Image type: Macintosh Device (Macintosh)\n";
const std::string toDeviceUsage = "zorv convert to-device <input-file> <output-file>";
const std::string toVolumeUsage = "zorv convert to-volume <input-file> <output-file> [--partition <partition>]";
const std::string replaceLidoUsage = "zorv convert replace-lido <input-file> <output-file>";

using CliConvertEndToEndTest = ZorvEndToEndTest;
using CliToDeviceEndToEndTest = ZorvEndToEndTest;
using CliToVolumeEndToEndTest = ZorvEndToEndTest;
using CliReplaceLidoEndToEndTest = ZorvEndToEndTest;

// --- help ---

TEST_F(CliConvertEndToEndTest, TheGroupAloneAndItsHelp) {
    const std::string help =
        "OVERVIEW: Convert your disk image to another type.\n"
        "\n"
        "USAGE: zorv convert <subcommand>\n"
        "\n"
        "OPTIONS:\n"
        "  -h, --help              Show help information.\n"
        "\n"
        "SUBCOMMANDS:\n"
        "  to-device               Converts an HFS or ProDOS volume image into a device\n"
        "                          image containing a partition map and a SCSI driver.\n"
        "                          This is what you need for BlueSCSI and PiSCSI.\n"
        "  to-volume               Converts a device image (containing a partition map\n"
        "                          and a SCSI driver) into a volume image. If several\n"
        "                          partitions can be converted, you'll need to specify\n"
        "                          which. Otherwise, the main HFS partition will be\n"
        "                          extracted.\n"
        "  replace-lido            Replaces the Lido SCSI driver in a device image with\n"
        "                          the HD SC Setup 7.3.5 driver. This driver is more\n"
        "                          compatible and offers better performance on modern\n"
        "                          solutions like BlueSCSI.\n";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"convert"}, {"convert", "--help"}, {"convert", "-h"}}) {
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, help);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliConvertEndToEndTest, EachSubcommandsHelp) {
    const std::string arguments =
        "ARGUMENTS:\n"
        "  <input-file>            File name of the disk image to convert.\n"
        "  <output-file>           File name of the converted image.\n"
        "\n";
    const std::vector<std::pair<std::string, std::string>> helps{
        {"to-device",
         "OVERVIEW: Converts an HFS or ProDOS volume image into a device image containing\n"
         "a partition map and a SCSI driver. This is what you need for BlueSCSI and\n"
         "PiSCSI.\n"
         "\n"
         "USAGE: " + toDeviceUsage + "\n\n" + arguments +
             "OPTIONS:\n"
             "  -h, --help              Show help information.\n"},
        {"to-volume",
         "OVERVIEW: Converts a device image (containing a partition map and a SCSI driver)\n"
         "into a volume image. If several partitions can be converted, you'll need to\n"
         "specify which. Otherwise, the main HFS partition will be extracted.\n"
         "\n"
         "USAGE: " + toVolumeUsage + "\n\n" + arguments +
             "OPTIONS:\n"
             "  -p, --partition <partition>\n"
             "                          Number of the partition to convert.\n"
             "  -h, --help              Show help information.\n"},
        {"replace-lido",
         "OVERVIEW: Replaces the Lido SCSI driver in a device image with the HD SC Setup\n"
         "7.3.5 driver. This driver is more compatible and offers better performance on\n"
         "modern solutions like BlueSCSI.\n"
         "\n"
         "USAGE: " + replaceLidoUsage + "\n\n" + arguments +
             "OPTIONS:\n"
             "  -h, --help              Show help information.\n"},
    };
    for (const auto& [command, help] : helps) {
        for (const std::string flag : {"--help", "-h"}) {
            const auto run = zorv({"convert", command, flag});
            EXPECT_EQ(run.exitStatus, 0) << command;
            EXPECT_EQ(run.out, help);
            EXPECT_EQ(run.err, "");
        }
    }
    EXPECT_TRUE(listing().empty());
}

TEST_F(CliConvertEndToEndTest, BothFileNamesAreRequired) {
    writeFile("volume.img", hfsVolume());
    const std::vector<std::pair<std::string, std::string>> commands{
        {"to-device", toDeviceUsage}, {"to-volume", toVolumeUsage}, {"replace-lido", replaceLidoUsage}};
    for (const auto& [command, usage] : commands) {
        const auto none = zorv({"convert", command});
        EXPECT_EQ(none.exitStatus, 64);
        EXPECT_EQ(none.out, "");
        EXPECT_EQ(none.err, "Error: Missing expected argument '<input-file>'\n" +
                                usageLines(usage, "zorv convert " + command));
        const auto one = zorv({"convert", command, "volume.img"});
        EXPECT_EQ(one.exitStatus, 64);
        EXPECT_EQ(one.out, "");  // refused before anything is read
        EXPECT_EQ(one.err, "Error: Missing expected argument '<output-file>'\n" +
                               usageLines(usage, "zorv convert " + command));
    }
    EXPECT_EQ(listing(), std::vector<std::string>{"volume.img"});
}

// --- to-device ---

TEST_F(CliToDeviceEndToEndTest, AnHFSVolumeBecomesADevice) {
    const Bytes volume = hfsVolume();
    writeFile("volume.img", volume);
    const auto run = zorv({"convert", "to-device", "volume.img", "device.hda"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(listing(), (std::vector<std::string>{"device.hda", "volume.img"}));

    const Bytes device = readFile("device.hda");
    ASSERT_EQ(device.size(), (21u + 99) * 512);
    EXPECT_EQ(blocksOf(device, 96, 21), volume);
    EXPECT_EQ(blocksOf(device, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());
    const auto analysis = zorv({"analyze", "-f", "device.hda"});
    EXPECT_EQ(analysis.out,
              "Macintosh Device (Macintosh)\n"
              "Block size: 512\n"
              "Size in blocks: 120 (61440 bytes)\n"
              "Partitions:\n"
              "1:\tPartition Map (Apple), Start: 1, Length: 63\n"
              "2:\tDriver for SCSI Manager 4.3 (Apple HD SC 7.3.5), Start: 64, Length: 32\n"
              "3:\tHFS or HFS+ Volume (Small HFS), Start: 96, Length: 21\n"
              "Volume: \"Small HFS\", 4096 bytes free out of 7680\n"
              "Creation date: 01/22/89, 22:02\n"
              "Last modified: 01/22/89, 22:02\n"
              "File Hierarchy of volume \"Small HFS\":\n"
              "Hello\n");
}

TEST_F(CliToDeviceEndToEndTest, AnExistingFileIsReplacedAndTheNameKeptAsTyped) {
    writeFile("volume.img", hfsVolume());
    writeFile("my device", Bytes(200000, 0xEE));
    const auto run = zorv({"convert", "to-device", "volume.img", "my device"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(readFile("my device").size(), (21u + 99) * 512);
    EXPECT_EQ(listing(), (std::vector<std::string>{"my device", "volume.img"}));
}

// An output that is the input under another name would be replaced by the
// new image: refused before anything is read or written.
TEST_F(CliConvertEndToEndTest, AnOutputThatIsTheInputIsRefusedAndTheInputKept) {
    const Bytes device = deviceImage(2000, {VolumeDescriptor::fromExistingData("Small HFS", 0, ImageBytes(hfsVolume()),
                                                                               VolumeType::hfs)});
    writeFile("volume.img", hfsVolume());
    writeFile("device.hda", device);
    std::filesystem::create_symlink("volume.img", path("volume link"));
    std::filesystem::create_hard_link(path("device.hda"), path("device link"));
    const std::string message = "Error: The output file is the input file: the converted image would replace the "
                                "disk image.\n";
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> runs{
        {"to-device", "volume.img", "volume link", toDeviceUsage},
        {"to-volume", "device.hda", "device link", toVolumeUsage},
        {"replace-lido", "device.hda", "./device.hda", replaceLidoUsage},
    };
    for (const auto& [command, input, output, usage] : runs) {
        const auto run = zorv({"convert", command, input, output});
        EXPECT_EQ(run.exitStatus, 64) << command;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, message + usageLines(usage, "zorv convert " + command));
    }
    EXPECT_EQ(readFile("volume.img"), hfsVolume());
    EXPECT_EQ(readFile("device.hda"), device);
    EXPECT_EQ(listing(), (std::vector<std::string>{"device link", "device.hda", "volume link", "volume.img"}));
}

TEST_F(CliToDeviceEndToEndTest, ADiskCopyImageConvertsAsTheVolumeItHolds) {
    const Bytes volume = hfsVolume();
    writeFile("volume.img", volume);
    writeFile("volume.image", diskCopyImage(volume));
    const auto run = zorv({"convert", "to-device", "volume.image", "wrapped.hda"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(zorv({"convert", "to-device", "volume.img", "bare.hda"}).exitStatus, 0);
    EXPECT_EQ(readFile("wrapped.hda"), readFile("bare.hda"));
}

// Each refusal shows the image type first (when there is one) and writes
// nothing; errors of reading and detection come before the type line.
TEST_F(CliToDeviceEndToEndTest, RefusalsInTheirOrder) {
    Bytes mfs(409600, 0);
    mfs[1024] = 0xD2;
    mfs[1025] = 0xD7;
    writeFile("short.img", Bytes(1000, 1));
    writeFile("noise.img", Bytes(4096, 0x5A));
    writeFile("zeros.img", Bytes(4096, 0));
    writeFile("mfs.img", mfs);
    writeFile("mfs.image", diskCopyImage(mfs));
    writeFile("amiga.adf", ADFDisk::blankDisk(ADFDiskGeometry::DDFloppy, false).structureData.toBytes());
    writeFile("device.hda", deviceImage(3000, {VolumeDescriptor::newBlankVolume("HD", 0, 2904, VolumeType::hfs)}));
    writeFile("dos.do", DOS33Disk::dos33AsData().toBytes());
    const std::string refused = "Error: Non convertible image type.\n" + usageLines(toDeviceUsage, "zorv convert to-device");
    struct Case {
        std::string input;
        int status;
        std::string out;
        std::string err;
    };
    std::vector<Case> cases{
        {"absent.img", 1, "", "Error: absent.img: No such file or directory\n"},
        {".", 1, "", "Error: .: Is a directory\n"},
        {"short.img", 1, "", "Error: nonParseableImage\n"},
        {"noise.img", 1, "", "Error: unknownVolumeType\n"},
        {"zeros.img", 64, "Image type: Empty Volume (Unknown)\n", refused},
        {"mfs.img", 64, "Image type: MFS (Macintosh)\n", refused},
        {"mfs.image", 64, "Image type: MFS (Macintosh)\n", refused},
        {"amiga.adf", 64, "Image type: Amiga Disk Format (Amiga)\n", refused},
        {"device.hda", 64, typeLineOfDevice, refused},
        {"dos.do", 64, "Image type: DOS 3.3 (Apple II)\n", refused},
    };
    for (const char* floppy : {"st/hatari-bootauto.st", "msa/derived-hmsa-hatari-bootdesk.msa"}) {
        if (const auto path = corpusFile(floppy)) {
            cases.push_back({path->string(), 64, "Image type: Atari ST TOS (Atari ST)\n", refused});
        }
    }
    const auto before = listing();
    for (const auto& [input, status, out, err] : cases) {
        const auto run = zorv({"convert", "to-device", input, "out.hda"});
        EXPECT_EQ(run.exitStatus, status) << input;
        EXPECT_EQ(run.out, out) << input;
        EXPECT_EQ(run.err, err) << input;
    }
    EXPECT_EQ(listing(), before);
}

TEST_F(CliToDeviceEndToEndTest, AnHFSPlusVolumeOfTheCorpusIsRefused) {
    const auto volume = corpusFile("hfsplus/dfvfs-hfsplus.raw");
    if (!volume) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
    const auto run = zorv({"convert", "to-device", volume->string(), "out.hda"});
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "Image type: HFS+ (Macintosh)\n");
    EXPECT_EQ(run.err, "Error: Non convertible image type.\n" + usageLines(toDeviceUsage, "zorv convert to-device"));
    EXPECT_TRUE(listing().empty());
}

// A ProDOS volume file, in either sector order, with or without the boot
// signature, gives a device whose partition holds it in ProDOS block order,
// and to-volume gives that back.
TEST_F(CliToDeviceEndToEndTest, AProDOSVolumeBecomesADevice) {
    const Bytes proDOSOrder = proDOSVolume();
    Bytes unsigned_ = proDOSOrder;
    std::fill_n(unsigned_.begin(), 4, uint8_t{0});
    const std::vector<std::tuple<std::string, Bytes, Bytes>> files{
        {"volume.po", proDOSOrder, proDOSOrder},
        {"volume.do", ProDOSImageBuilder::toDOSOrder(proDOSOrder), proDOSOrder},
        {"unsigned.po", unsigned_, unsigned_},
        {"unsigned.do", ProDOSImageBuilder::toDOSOrder(unsigned_), unsigned_},
    };
    for (const auto& [name, file, inProDOSOrder] : files) {
        SCOPED_TRACE(name);
        writeFile(name, file);
        const auto run = zorv({"convert", "to-device", name, name + ".hda"});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, "Image type: ProDOS (Apple II)\n");
        EXPECT_EQ(run.err, "");
        const Bytes device = readFile(name + ".hda");
        ASSERT_EQ(device.size(), (280u + 99) * 512);
        EXPECT_EQ(blocksOf(device, 96, 280), inProDOSOrder);

        // The partition opens as the ProDOS volume, with its file.
        const auto analysis = zorv({"analyze", "-f", name + ".hda"});
        EXPECT_EQ(analysis.exitStatus, 0);
        EXPECT_NE(analysis.out.find("3:\tProDOS Volume (CONVERTED), Start: 96, Length: 280\n"), std::string::npos)
            << analysis.out;
        EXPECT_NE(analysis.out.find("File Hierarchy of volume \"CONVERTED\":\nHELLO\n"), std::string::npos)
            << analysis.out;

        const auto back = zorv({"convert", "to-volume", name + ".hda", name + ".back"});
        EXPECT_EQ(back.exitStatus, 0);
        EXPECT_EQ(back.out, typeLineOfDevice + "Selecting partition 1: ProDOS Volume (CONVERTED), Start: 96, Length: 280\n");
        EXPECT_EQ(readFile(name + ".back"), inProDOSOrder);
    }
}

// HFS and ProDOS address whole 512-byte blocks: a partial block after the
// last whole one (a download's trailer, a copy tool's padding) is no part of
// the volume and is left out.
TEST_F(CliToDeviceEndToEndTest, APartialBlockAfterTheVolumeIsLeftOut) {
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    HfsTool hfs;
    hfs.formatNewImage(path("floppy.img"), "Padded", 1474560);
    hfs.unmount();
    const Bytes volume = readFile("floppy.img");
    Bytes padded = volume;
    padded.push_back(0x1A);
    writeFile("padded.img", padded);
    const auto run = zorv({"convert", "to-device", "padded.img", "padded.hda"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const Bytes device = readFile("padded.hda");
    ASSERT_EQ(device.size(), (2880u + 99) * 512);
    EXPECT_EQ(blocksOf(device, 96, 2880), volume);
}

// A DOS-ordered image that stops inside a track cannot be put in ProDOS
// block order whole: its last blocks would be lost without a word.
TEST_F(CliToDeviceEndToEndTest, ADOSOrderedProDOSImageCutInsideATrackIsRefused) {
    std::vector<std::pair<std::string, Bytes>> images{
        {"crafted.do", ProDOSImageBuilder::toDOSOrder(proDOSVolume())}};
    if (const auto corpus = corpusImage("prodos/cp2-extended.do")) images.emplace_back("extended.do", corpus->toBytes());
    for (auto& [name, image] : images) {
        SCOPED_TRACE(name);
        image.resize(image.size() - 300);
        writeFile(name, image);
        const auto run = zorv({"convert", "to-device", name, "out.hda"});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out, "Image type: ProDOS (Apple II)\n");
        EXPECT_EQ(run.err, "Error: dosOrderPartialTrack(" + std::to_string(image.size()) + ")\n");
        EXPECT_FALSE(std::filesystem::exists(path("out.hda")));
    }
}

// --- the round trip, on volumes other programs made ---

class CliRoundTripEndToEndTest : public ZorvEndToEndTest {
protected:
    // Converts a volume file to a device and back: the volume comes back
    // byte for byte.
    void roundTrip(const std::string& volume, const Bytes& expected) {
        SCOPED_TRACE(volume);
        const auto toDevice = zorv({"convert", "to-device", volume, "round-trip.hda"});
        ASSERT_EQ(toDevice.exitStatus, 0) << toDevice.err;
        const auto toVolume = zorv({"convert", "to-volume", "round-trip.hda", "round-trip.img"});
        ASSERT_EQ(toVolume.exitStatus, 0) << toVolume.err;
        const Bytes back = readFile("round-trip.img");
        EXPECT_EQ(back.size(), expected.size());
        EXPECT_TRUE(back == expected);
    }
};

// HFS volumes that hfsutils makes and fills, and the device's HFS partition
// listed by hfsutils' hls.
TEST_F(CliRoundTripEndToEndTest, VolumesMadeByHfsutils) {
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    writeFile("letter.txt", std::string(3000, 'l'));
    writeFile("picture.bin", Bytes(70000, 0x99));
    for (const int64_t size : {int64_t{819200}, int64_t{1474560}, int64_t{20 * 1048576}}) {
        SCOPED_TRACE(size);
        HfsTool hfs;
        const std::string name = "hfsutils-" + std::to_string(size) + ".img";
        hfs.formatNewImage(path(name), "Made By hfsutils", size);
        hfs.makeFolder(":Letters");
        hfs.copyIn(path("letter.txt"), ":Letters:To Mum");
        hfs.copyIn(path("picture.bin"), ":Picture");
        hfs.unmount();
        roundTrip(name, readFile(name));

        // hfsutils writes to what it mounts: it lists a copy.
        std::filesystem::copy_file(path("round-trip.hda"), path("listed.hda"),
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string mounted = hfs.run({"hmount", path("listed.hda"), "1"});
        EXPECT_NE(mounted.find("Volume name is \"Made By hfsutils\""), std::string::npos) << mounted;
        EXPECT_EQ(hfs.run({"hls"}), "Letters\nPicture\n");
        EXPECT_EQ(hfs.run({"hls", ":Letters"}), "To Mum\n");
        hfs.unmount();
    }
}

// The floppy-sized HFS volumes of the corpus, bare and in Disk Copy 4.2
// images; what comes back from a Disk Copy image is the volume it holds.
TEST_F(CliRoundTripEndToEndTest, TheHFSVolumesOfTheCorpus) {
    const std::vector<std::string> bare{
        "hfs/cp2-blank-800k.po",        "hfs/cp2-simple-gsos.po",   "hfs/cp2-simple-linux.po",
        "hfs/fc-hello-world-untitled-volume.img", "hfs/hr-ResEdit_2.1.3.img", "hfs/hr-importfl-1.2.2.dsk",
        "hfs/im-System_3.3.dsk",        "hfs/im-System_6.0.8_System_Startup.img", "hfs/mr-hfs400K.dsk",
        "hfs/util-linux-hfs.img.xz"};
    const std::vector<std::string> wrapped{"dc42/cp2-Installer_Disk_1.image", "dc42/dcr-DART_1.5.3.image",
                                           "dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk"};
    int tried = 0;
    for (const auto& file : bare) {
        const auto image = corpusImage(file);
        if (!image) continue;
        writeFile("corpus.img", *image);
        roundTrip("corpus.img", image->toBytes());
        ++tried;
    }
    for (const auto& file : wrapped) {
        const auto image = corpusImage(file);
        if (!image) continue;
        writeFile("corpus.image", *image);
        roundTrip("corpus.image", DiskCopy42::extractedImage(*image).toBytes());
        ++tried;
    }
    if (tried == 0) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
}

// --- to-volume ---

class CliToVolumeDevicesTest : public ZorvEndToEndTest {
protected:
    // A device with a ProDOS volume (280 blocks, at 96) and an HFS volume
    // (21 blocks, at 376); one with the HFS volume alone; one without any.
    void SetUp() override {
        hfs = hfsVolume("Twin HFS");
        proDOS = proDOSVolume("TWIN.PRODOS");
        writeFile("two.hda",
                  deviceImage(96 + 280 + 21 + 10,
                              {VolumeDescriptor::fromExistingData("Twin HFS", 0, ImageBytes(hfs), VolumeType::hfs),
                               VolumeDescriptor::fromExistingData("Twin", 0, ImageBytes(proDOS), VolumeType::proDOS)}));
        writeFile("one.hda", deviceImage(96 + 21, {VolumeDescriptor::fromExistingData(
                                                      "Lone HFS", 0, ImageBytes(hfs), VolumeType::hfs)}));
        writeFile("none.hda", deviceImage(96, {}));
    }
    std::string failure(const std::string& message) const {
        return "Error: " + message + "\n" + usageLines(toVolumeUsage, "zorv convert to-volume");
    }
    Bytes hfs;
    Bytes proDOS;
    const std::string twoList =
        "Convertible Partitions:\n"
        "1:\tProDOS Volume (TWIN.PRODOS), Start: 96, Length: 280\n"
        "2:\tHFS or HFS+ Volume (Twin HFS), Start: 376, Length: 21\n";
};

TEST_F(CliToVolumeDevicesTest, TheOnlyConvertiblePartitionIsSelected) {
    const auto run = zorv({"convert", "to-volume", "one.hda", "volume.img"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, typeLineOfDevice + "Selecting partition 1: HFS or HFS+ Volume (Twin HFS), Start: 96, Length: 21\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile("volume.img"), hfs);

    // With its number: the type line alone; an existing file is replaced.
    writeFile("volume.img", Bytes(100000, 3));
    const auto numbered = zorv({"convert", "to-volume", "one.hda", "volume.img", "-p", "1"});
    EXPECT_EQ(numbered.exitStatus, 0);
    EXPECT_EQ(numbered.out, typeLineOfDevice);
    EXPECT_EQ(readFile("volume.img"), hfs);
}

TEST_F(CliToVolumeDevicesTest, SeveralPartitionsNeedANumber) {
    const auto unspecified = zorv({"convert", "to-volume", "two.hda", "volume.img"});
    EXPECT_EQ(unspecified.exitStatus, 64);
    EXPECT_EQ(unspecified.out, typeLineOfDevice);
    EXPECT_EQ(unspecified.err, failure("Unspecified partition to convert. Please specify one.\n" + twoList));
    for (const std::string number : {"0", "3", "-1"}) {
        const auto invalid = zorv({"convert", "to-volume", "two.hda", "volume.img", "--partition", number});
        EXPECT_EQ(invalid.exitStatus, 64) << number;
        EXPECT_EQ(invalid.out, typeLineOfDevice);
        EXPECT_EQ(invalid.err, failure("Invalid partition number.\n" + twoList));
    }
    EXPECT_FALSE(std::filesystem::exists(path("volume.img")));

    const auto first = zorv({"convert", "to-volume", "two.hda", "prodos.po", "-p", "1"});
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(first.out, typeLineOfDevice);
    EXPECT_EQ(readFile("prodos.po"), proDOS);
    const auto second = zorv({"convert", "to-volume", "two.hda", "hfs.img", "--partition=2"});
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_EQ(readFile("hfs.img"), hfs);
}

TEST_F(CliToVolumeDevicesTest, ADeviceWithoutConvertiblePartitions) {
    const auto run = zorv({"convert", "to-volume", "none.hda", "volume.img"});
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, typeLineOfDevice);
    EXPECT_EQ(run.err, failure("No convertible partition in device."));
    const auto numbered = zorv({"convert", "to-volume", "none.hda", "volume.img", "-p", "1"});
    EXPECT_EQ(numbered.exitStatus, 64);
    EXPECT_EQ(numbered.err, failure("Invalid partition number.\nConvertible Partitions:\n"));
    EXPECT_FALSE(std::filesystem::exists(path("volume.img")));
}

// An entry that claims no blocks holds no volume to write.
TEST_F(CliToVolumeDevicesTest, APartitionOfNoBlocksIsRefused) {
    Bytes device = readFile("one.hda");
    std::fill_n(device.begin() + 3 * 512 + 12, 4, uint8_t{0});  // pmPartBlkCnt of the HFS entry
    writeFile("empty.hda", device);
    const auto run = zorv({"convert", "to-volume", "empty.hda", "volume.img"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, typeLineOfDevice + "Selecting partition 1: HFS or HFS+ Volume (Lone HFS), Start: 96, Length: 0\n");
    EXPECT_EQ(run.err, "Error: emptyPartition\n");
    EXPECT_FALSE(std::filesystem::exists(path("volume.img")));
}

TEST_F(CliToVolumeDevicesTest, ImagesThatAreNotDevices) {
    writeFile("volume.img", hfs);
    writeFile("short.img", Bytes(10, 0));
    const auto volume = zorv({"convert", "to-volume", "volume.img", "out.img"});
    EXPECT_EQ(volume.exitStatus, 64);
    EXPECT_EQ(volume.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(volume.err, failure("Non convertible image type."));
    const auto unreadable = zorv({"convert", "to-volume", "short.img", "out.img", "-p", "1"});
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err, "Error: nonParseableImage\n");
    // An Amiga hard disk is a device of another kind.
    if (const auto amiga = corpusImage("rdb/a590_WD93028XA_6parts.hdd.gz")) {
        writeFile("a590.hdd", *amiga);
        const auto run = zorv({"convert", "to-volume", "a590.hdd", "out.img", "-p", "1"});
        EXPECT_EQ(run.exitStatus, 64);
        EXPECT_EQ(run.out, "Image type: Amiga Hard Disk (Amiga)\n");
        EXPECT_EQ(run.err, failure("Non convertible image type."));
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.img")));
}

// Partitions are numbered by start block, whatever the map's order, and an
// entry of a type nobody knows is named on a line of its own, once: the
// device is read once, in validation, and the run converts what it read.
TEST_F(CliToVolumeDevicesTest, NumberedByStartBlockWithUnknownEntriesNamed) {
    Bytes device = readFile("two.hda");
    // Map order: the map, the driver, ProDOS, HFS; swap the last two, then
    // add an entry of an unknown type after them.
    const Bytes proDOSEntry = blocksOf(device, 3);
    const Bytes hfsEntry = blocksOf(device, 4);
    std::copy(hfsEntry.begin(), hfsEntry.end(), device.begin() + 3 * 512);
    std::copy(proDOSEntry.begin(), proDOSEntry.end(), device.begin() + 4 * 512);
    Bytes unknown = hfsEntry;
    const std::string type = "Zorv_Unknown";
    std::fill_n(unknown.begin() + 48, 32, uint8_t{0});
    std::copy(type.begin(), type.end(), unknown.begin() + 48);
    std::copy(unknown.begin(), unknown.end(), device.begin() + 5 * 512);
    for (int64_t entry = 1; entry <= 5; ++entry) device[static_cast<size_t>(entry * 512 + 7)] = 5;  // pmMapBlkCnt
    writeFile("reordered.hda", device);

    const auto run = zorv({"convert", "to-volume", "reordered.hda", "volume.img"});
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "Zorv_Unknown\n" + typeLineOfDevice);
    EXPECT_EQ(run.err, failure("Unspecified partition to convert. Please specify one.\n" + twoList));
    const auto first = zorv({"convert", "to-volume", "reordered.hda", "volume.img", "-p", "1"});
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(first.out, "Zorv_Unknown\n" + typeLineOfDevice);
    EXPECT_EQ(readFile("volume.img"), proDOS);
}

// Real devices of the corpus: each partition comes out as the device holds
// it.
TEST_F(CliToVolumeDevicesTest, TheDevicesOfTheCorpus) {
    const auto device = corpusFile("apm/cp2-apm-prodos-hfs.iso");
    if (!device) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
    const Bytes image = fs::readWholeFile(device->string()).toBytes();
    const auto unspecified = zorv({"convert", "to-volume", device->string(), "volume.img"});
    EXPECT_EQ(unspecified.err, failure("Unspecified partition to convert. Please specify one.\n"
                                       "Convertible Partitions:\n"
                                       "1:\tProDOS Volume (MIXED.DISK), Start: 4, Length: 1600\n"
                                       "2:\tHFS or HFS+ Volume (New Disk), Start: 1604, Length: 1600\n"));
    EXPECT_EQ(zorv({"convert", "to-volume", device->string(), "prodos.po", "-p", "1"}).exitStatus, 0);
    EXPECT_EQ(readFile("prodos.po"), blocksOf(image, 4, 1600));
    EXPECT_EQ(zorv({"convert", "to-volume", device->string(), "hfs.img", "-p", "2"}).exitStatus, 0);
    EXPECT_EQ(readFile("hfs.img"), blocksOf(image, 1604, 1600));
    const auto analysis = zorv({"analyze", "hfs.img"});
    EXPECT_TRUE(analysis.out.starts_with("HFS (Macintosh)\n")) << analysis.out;
}

// A dump of that device missing its last block: still a device, its ProDOS
// partition converts, and the HFS one, cut short, ends with an error.
TEST_F(CliToVolumeDevicesTest, ADeviceMissingItsLastBlock) {
    const auto device = corpusFile("apm/cp2-apm-prodos-hfs.iso");
    if (!device) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
    const Bytes image = fs::readWholeFile(device->string()).toBytes();
    writeFile("cut.iso", Bytes(image.begin(), image.end() - 512));

    const auto analysis = zorv({"analyze", "cut.iso"});
    EXPECT_EQ(analysis.exitStatus, 0) << analysis.err;
    EXPECT_TRUE(analysis.out.starts_with("Macintosh Device (Macintosh)\n")) << analysis.out;
    EXPECT_EQ(zorv({"convert", "to-volume", "cut.iso", "prodos.po", "-p", "1"}).exitStatus, 0);
    EXPECT_EQ(readFile("prodos.po"), blocksOf(image, 4, 1600));
    const auto cut = zorv({"convert", "to-volume", "cut.iso", "hfs.img", "-p", "2"});
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(cut.out, typeLineOfDevice);
    EXPECT_EQ(cut.err, "Error: partitionPastEndOfImage\n");
    EXPECT_FALSE(std::filesystem::exists(path("hfs.img")));
}

// --- replace-lido ---

class CliReplaceLidoDevicesTest : public ZorvEndToEndTest {
protected:
    void SetUp() override {
        device = LidoDevice::make();
        writeFile("lido.hda", device.image);
    }
    std::string failure(const std::string& message) const {
        return "Error: " + message + "\n" + usageLines(replaceLidoUsage, "zorv convert replace-lido");
    }
    LidoDevice device;
};

TEST_F(CliReplaceLidoDevicesTest, TheDriverIsReplacedAndEveryOtherPartitionKept) {
    const auto before = zorv({"analyze", "lido.hda"});
    EXPECT_NE(before.out.find("2:\tDriver for SCSI Manager 4.3 (Lido), Start: 64, Length: 32\n"), std::string::npos)
        << before.out;

    const auto run = zorv({"convert", "replace-lido", "lido.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    const Bytes& input = device.image;
    const Bytes output = readFile("apple.hda");
    ASSERT_EQ(output.size(), input.size());

    // Every block but block 0, the map's first entry, the HFS entry, the
    // driver's entry and the driver holds what it held.
    for (int64_t block = 2; block < LidoDevice::blockCount; ++block) {
        if (block == device.hfsEntryBlock || block == device.driverEntryBlock) continue;
        if (block >= LidoDevice::driverStart && block < LidoDevice::driverStart + LidoDevice::driverBlocks) continue;
        ASSERT_EQ(blocksOf(output, block), blocksOf(input, block)) << "block " << block;
    }
    EXPECT_EQ(blocksOf(output, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());
    EXPECT_EQ(output[static_cast<size_t>(device.hfsEntryBlock * 512 + LidoDevice::statusLowByteOffset)], 0xB7);
    EXPECT_EQ(Bytes(output.begin() + 512 + 80, output.begin() + 512 + 84), Bytes(4, 0));
    Bytes firstEntry = blocksOf(input, 1);
    std::fill_n(firstEntry.begin() + 80, 4, uint8_t{0});
    EXPECT_EQ(blocksOf(output, 1), firstEntry);

    const auto after = zorv({"analyze", "-f", "apple.hda"});
    EXPECT_EQ(after.exitStatus, 0);
    EXPECT_NE(after.out.find("2:\tDriver for SCSI Manager 4.3 (Apple HD SC 7.3.5), Start: 64, Length: 32\n"),
              std::string::npos)
        << after.out;
    EXPECT_NE(after.out.find("File Hierarchy of volume \"Lido HFS\":\nNote\n"), std::string::npos) << after.out;

    // No Lido driver left.
    const auto again = zorv({"convert", "replace-lido", "apple.hda", "again.hda"});
    EXPECT_EQ(again.exitStatus, 64);
    EXPECT_EQ(again.err, failure("No Lido driver found."));
}

TEST_F(CliReplaceLidoDevicesTest, AnExistingOutputFileIsRefused) {
    writeFile("apple.hda", std::string("keep me"));
    const auto run = zorv({"convert", "replace-lido", "lido.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error: apple.hda: File exists\n");
    EXPECT_EQ(readText("apple.hda"), "keep me");
}

// Of two Lido partitions, the one with the lower start block is replaced.
TEST_F(CliReplaceLidoDevicesTest, TheFirstOfTwoLidoPartitions) {
    // The A/UX partition becomes a second Lido driver partition.
    LidoDevice second = device;
    second.setEntryType(device.auxEntryBlock, "Apple_Driver43");
    Bytes image = second.image;
    const ImageBytes& lido = SCSIDriver::lido().driverData;
    std::copy(lido.begin(), lido.begin() + 20 * 512, image.begin() + device.auxStart * 512);
    writeFile("two.hda", image);
    const auto run = zorv({"convert", "replace-lido", "two.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const Bytes output = readFile("apple.hda");
    EXPECT_EQ(blocksOf(output, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());
    EXPECT_EQ(blocksOf(output, device.auxStart, 20), blocksOf(image, device.auxStart, 20));
}

TEST_F(CliReplaceLidoDevicesTest, ALidoPartitionTooSmallForTheNewDriver) {
    Bytes image = device.image;
    image[static_cast<size_t>(device.driverEntryBlock * 512 + LidoDevice::sizeOffset + 3)] = 24;
    writeFile("small.hda", image);
    const auto run = zorv({"convert", "replace-lido", "small.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error: driverPartitionTooSmall(12288)\n");
    EXPECT_FALSE(std::filesystem::exists(path("apple.hda")));
}

TEST_F(CliReplaceLidoDevicesTest, RefusalsInTheirOrder) {
    writeFile("volume.img", hfsVolume());
    writeFile("zeros.img", Bytes(2048, 0));
    writeFile("short.img", Bytes(100, 0));
    writeFile("apple.hda", deviceImage(3000, {VolumeDescriptor::newBlankVolume("HD", 0, 2904, VolumeType::hfs)}));
    const std::string notADevice = "Non convertible image type. This subcommand only runs on Macintosh device images.";
    const std::vector<std::tuple<std::string, int, std::string>> cases{
        {"absent.hda", 1, "Error: absent.hda: No such file or directory\n"},
        {"short.img", 1, "Error: nonParseableImage\n"},
        {"volume.img", 64, failure(notADevice)},
        {"zeros.img", 64, failure(notADevice)},
        {"apple.hda", 64, failure("No Lido driver found.")},
    };
    for (const auto& [input, status, err] : cases) {
        const auto run = zorv({"convert", "replace-lido", input, "out.hda"});
        EXPECT_EQ(run.exitStatus, status) << input;
        EXPECT_EQ(run.out, "") << input;  // no image-type line
        EXPECT_EQ(run.err, err) << input;
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.hda")));
}

TEST_F(CliReplaceLidoDevicesTest, ADeviceCutShortIsRefused) {
    // The dump ends inside the HFS volume.
    writeFile("cut.hda", Bytes(device.image.begin(), device.image.begin() + (device.hfsStart + 10) * 512));
    const auto run = zorv({"convert", "replace-lido", "cut.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error: partitionPastEndOfImage(" + std::to_string(device.hfsStart) + ")\n");
    EXPECT_FALSE(std::filesystem::exists(path("apple.hda")));
}

// The device reader names an entry of an unknown type once: the device is
// read once.
TEST_F(CliReplaceLidoDevicesTest, UnknownEntriesAreNamedOnce) {
    device.setEntryType(device.proDOSEntryBlock, "Zorv_Unknown");
    writeFile("unknown.hda", device.image);
    const auto run = zorv({"convert", "replace-lido", "unknown.hda", "apple.hda"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "Zorv_Unknown\n");
    EXPECT_EQ(LidoDevice::typeAt(readFile("apple.hda"), device.proDOSEntryBlock), "Zorv_Unknown");

    // A type that would clear the screen is shown harmless, and copied as it is.
    device.setEntryType(device.proDOSEntryBlock, "X\x1B[2J");
    writeFile("escape.hda", device.image);
    const auto escape = zorv({"convert", "replace-lido", "escape.hda", "escaped.hda"});
    EXPECT_EQ(escape.exitStatus, 0);
    EXPECT_EQ(escape.out, "X?[2J\n");
    EXPECT_EQ(LidoDevice::typeAt(readFile("escaped.hda"), device.proDOSEntryBlock), "X\x1B[2J");
}

}  // namespace
}  // namespace zorv::testing
