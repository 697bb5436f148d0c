#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/BootBlockHeader.hpp"
#include "platform/FileSystem.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

const Bytes kSignature{0x4C, 0x4B};

std::array<std::string, 7> namesOf(const BootBlockHeader& header) {
    return {header.bbSysName,    header.bbShellName, header.bbDbg1Name, header.bbDbg2Name,
            header.bbScreenName, header.bbHelloName, header.bbScrapName};
}

std::array<int64_t, 11> integersOf(const BootBlockHeader& header) {
    return {header.bbEntry,     header.bbVersion,     header.bbPageFlags, header.bbCntFCBs,
            header.bbCntEvts,   header.bb128KSHeap,   header.bb256KSHeap, header.bbSysHeapSize,
            header.filler,      header.bbSysHeapExtra, header.bbSysHeapFract};
}

void expectEmpty(const BootBlockHeader& header) {
    EXPECT_TRUE(header.isEmpty());
    EXPECT_TRUE(header.bbID().empty());
    EXPECT_EQ(integersOf(header), (std::array<int64_t, 11>{}));
    EXPECT_EQ(namesOf(header), (std::array<std::string, 7>{}));
}

// A header whose every field holds a different value, then zeros up to the
// two blocks' 1024 bytes.
ByteBuilder fullHeader(std::string_view signature = "LK") {
    ByteBuilder bytes;
    bytes.text(signature)
        .u32(0x60000086)
        .u16(0x4418)
        .u16(0x8001)
        .pascal("System", 16)
        .pascal("Finder", 16)
        .pascal("MacsBug", 16)
        .pascal("Disassembler", 16)
        .pascal("StartUpScreen", 16)
        .pascal("Copy II\xA8 7.1", 16)
        .pascal("Clipboard File", 16)
        .u16(10)
        .u16(20)
        .u32(0x4300)
        .u32(0x8000)
        .u32(0xFFFFFFFF)
        .u16(0xFFFF)
        .u32(0x80000000)
        .u32(0x00010000);
    bytes.zeros(1024 - bytes.size());
    return bytes;
}

TEST(BootBlockHeader, ReadsEveryFieldOfAStartupHeader) {
    const BootBlockHeader header{ImageBytes(fullHeader().data())};
    EXPECT_FALSE(header.isEmpty());
    EXPECT_EQ(header.bbID(), kSignature);
    EXPECT_EQ(integersOf(header), (std::array<int64_t, 11>{0x60000086, 0x4418, 0x8001, 10, 20, 0x4300, 0x8000,
                                                            0xFFFFFFFFLL, 0xFFFF, 0x80000000LL, 0x10000}));
    EXPECT_EQ(namesOf(header), (std::array<std::string, 7>{"System", "Finder", "MacsBug", "Disassembler",
                                                           "StartUpScreen", "Copy II\u00AE 7.1", "Clipboard File"}));
}

TEST(BootBlockHeader, WithoutTheSignatureTheHeaderIsEmpty) {
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"zeros", Bytes(1024, 0)},
        {"lower case", fullHeader("lk")},
        {"reversed", fullHeader("KL")},
        {"HFS signature", fullHeader("BD")},
        {"half the signature", fullHeader("LX")},
        // Nothing is read past a missing signature, however long the bytes.
        {"one block", Bytes(ByteBuilder().text("XX").zeros(510))},
    };
    for (const auto& [label, bytes] : cases) {
        SCOPED_TRACE(label);
        expectEmpty(BootBlockHeader{ImageBytes(bytes)});
    }
}

TEST(BootBlockHeader, SignatureAndZerosIsBootableWithEmptyFields) {
    const BootBlockHeader header{ImageBytes(ByteBuilder().text("LK").zeros(1022).data())};
    EXPECT_FALSE(header.isEmpty());
    EXPECT_EQ(header.bbID(), kSignature);
    EXPECT_EQ(integersOf(header), (std::array<int64_t, 11>{}));
    EXPECT_EQ(namesOf(header), (std::array<std::string, 7>{}));
}

TEST(BootBlockHeader, IntegersAreUnsigned) {
    const BootBlockHeader header{ImageBytes(ByteBuilder().text("LK").u8(0x80).zeros(1021).data())};
    EXPECT_EQ(header.bbEntry, 2147483648LL);
}

TEST(BootBlockHeader, NamesAreLengthBytesInFixedSixteenByteFields) {
    struct NameCase {
        const char* label;
        Bytes firstTwoFields;  // bytes 10 to 41: the system and shell names
        std::string system;
        std::string shell;
    };
    const NameCase cases[] = {
        {"empty", Bytes(32, 0), "", ""},
        // Whatever follows the text in its field is not read; the next name
        // starts 16 bytes after the length byte.
        {"filler after the text", ByteBuilder().u8(6).text("System\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF").pascal("Finder", 16),
         "System", "Finder"},
        {"fifteen characters", ByteBuilder().pascal("ABCDEFGHIJKLMNO", 16).pascal("F", 16), "ABCDEFGHIJKLMNO", "F"},
        // A length above 15 takes bytes of the next field, which is still
        // read from its own start.
        {"length past the field", ByteBuilder().u8(20).text("ABCDEFGHIJKLMNO").pascal("Finder", 16),
         std::string("ABCDEFGHIJKLMNO\x06" "Find"), "Finder"},
        {"Mac OS Roman", ByteBuilder().pascal("Syst\x8Ame", 16).pascal("\xA5", 16), "Syst\u00E4me", "\u2022"},
    };
    for (const auto& name : cases) {
        SCOPED_TRACE(name.label);
        ByteBuilder bytes;
        bytes.text("LK").zeros(8).bytes(name.firstTwoFields).pascal("Debugger", 16);
        bytes.zeros(1024 - bytes.size());
        const BootBlockHeader header{ImageBytes(bytes.data())};
        EXPECT_EQ(header.bbSysName, name.system);
        EXPECT_EQ(header.bbShellName, name.shell);
        EXPECT_EQ(header.bbDbg1Name, "Debugger");
    }
}

TEST(BootBlockHeader, BytesTooShortForTheHeaderCannotStartAnything) {
    const Bytes header = fullHeader().data();
    for (size_t length : {0u, 1u, 2u, 10u, 100u, 147u}) {
        SCOPED_TRACE(length);
        expectEmpty(BootBlockHeader{ImageBytes(Bytes(header.begin(), header.begin() + static_cast<int64_t>(length)))});
    }
    const BootBlockHeader whole{ImageBytes(Bytes(header.begin(), header.begin() + 148))};
    EXPECT_FALSE(whole.isEmpty());
    EXPECT_EQ(whole.bbSysHeapFract, 0x10000);

    // The scrap name's length byte reaches past the end of 148 bytes.
    Bytes longName(header.begin(), header.begin() + 148);
    longName[106] = 255;
    expectEmpty(BootBlockHeader{ImageBytes(longName)});
    // In the two whole blocks it reads on into the boot code.
    Bytes blocks = header;
    blocks[106] = 255;
    const BootBlockHeader overlong{ImageBytes(blocks)};
    EXPECT_EQ(overlong.bbScrapName.substr(0, 15), std::string("Clipboard File") + '\0');
    EXPECT_EQ(overlong.bbCntFCBs, 10);
}

TEST(BootBlockHeader, WritesTwoEmptyBlocks) {
    const BootBlockHeader headers[] = {BootBlockHeader(), BootBlockHeader{ImageBytes(fullHeader().data())}};
    for (const auto& header : headers) {
        const auto chunks = header.dataBlockArray();
        ASSERT_EQ(chunks.size(), 2u);
        EXPECT_EQ(chunks[0], Bytes(512, 0));
        EXPECT_EQ(chunks[1], Bytes(512, 0));
        EXPECT_EQ(header.dataBlock(), Bytes(1024, 0));
    }
}

TEST(BootBlockHeader, DamagedBytesNeverFail) {
    std::mt19937 random(1984);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> length(0, 1024);
    int bootable = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes(length(random));
        for (auto& value : bytes) value = static_cast<uint8_t>(byte(random));
        if (bytes.size() >= 2 && round % 4 != 0) {
            bytes[0] = 'L';
            bytes[1] = 'K';
        }
        const BootBlockHeader header{ImageBytes(bytes)};
        if (!header.isEmpty()) {
            ++bootable;
            EXPECT_GE(bytes.size(), 148u);
            EXPECT_EQ(header.bbID(), kSignature);
        }
    }
    EXPECT_GT(bootable, 1000);
}

// ---------------------------------------------------------------------------
// Boot blocks of real volumes.

struct CorpusBootBlocks {
    const char* path;
    int64_t volumeOffset;  // 84 inside a Disk Copy 4.2 image
    bool bootable;
    int64_t version;
    std::array<std::string, 7> names;
    std::array<int64_t, 5> counts;  // bbCntFCBs, bbCntEvts, bb128KSHeap, bb256KSHeap, bbSysHeapSize
};

class CorpusBootBlockHeader : public ::testing::TestWithParam<CorpusBootBlocks> {};

TEST_P(CorpusBootBlockHeader, TellsStartupDisksApart) {
    const CorpusBootBlocks& volume = GetParam();
    const auto path = testing::corpusFile(volume.path);
    if (!path) GTEST_SKIP() << volume.path << " is not in the shared corpus";
    const ImageBytes image = fs::readWholeFile(path->string());
    const BootBlockHeader header(image.slice(volume.volumeOffset, 1024));
    EXPECT_EQ(!header.isEmpty(), volume.bootable);
    if (!volume.bootable) {
        expectEmpty(header);
        return;
    }
    EXPECT_EQ(header.bbID(), kSignature);
    // Every header here begins with the same branch into its boot code.
    EXPECT_EQ(header.bbEntry, 0x60000086);
    EXPECT_EQ(header.bbVersion, volume.version);
    EXPECT_EQ(namesOf(header), volume.names);
    EXPECT_EQ((std::array<int64_t, 5>{header.bbCntFCBs, header.bbCntEvts, header.bb128KSHeap, header.bb256KSHeap,
                                      header.bbSysHeapSize}),
              volume.counts);
    EXPECT_EQ(header.dataBlock(), Bytes(1024, 0));
}

const std::array<std::string, 7> kClassicNames{"System",        "Finder", "Macsbug",       "Disassembler",
                                               "StartUpScreen", "Finder", "Clipboard File"};

INSTANTIATE_TEST_SUITE_P(
    SharedCorpus, CorpusBootBlockHeader,
    ::testing::Values(
        CorpusBootBlocks{"hfs/im-System_3.3.dsk", 0, true, 0x15, kClassicNames, {10, 20, 17152, 32768, 59904}},
        CorpusBootBlocks{"hfs/im-System_6.0.8_System_Startup.img", 0, true, 0x17, kClassicNames,
                         {10, 20, 17152, 32768, 131072}},
        CorpusBootBlocks{"mfs/im-System_1.1.dsk", 0, true, 0x11,
                         {"System", "Finder", "Macsbug", "Disassembler", "StartUpScreen", "Copy II\u00AE 7.1",
                          "Clipboard File"},
                         {12, 30, 16896, 32768, 49152}},
        CorpusBootBlocks{"mfs/im-System_1.0_Original.dsk", 84, true, 0x11, kClassicNames,
                         {12, 30, 16896, 32768, 49152}},
        CorpusBootBlocks{"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk", 84, true, 0x4418,
                         {"System", "Finder", "MacsBug", "Disassembler", "StartUpScreen", "Finder", "Clipboard"},
                         {10, 20, 17152, 32768, 131072}},
        // Data disks: boot blocks of zeros.
        CorpusBootBlocks{"hfs/cp2-blank-800k.po", 0, false, 0, {}, {}},
        CorpusBootBlocks{"hfs/fc-hello-world-untitled-volume.img", 0, false, 0, {}, {}},
        CorpusBootBlocks{"hfs/mr-hfs400K.dsk", 0, false, 0, {}, {}},
        CorpusBootBlocks{"mfs/mr-mfs1440K.dsk", 0, false, 0, {}, {}},
        CorpusBootBlocks{"mfs/cp2-Workstation_Installer.IMG", 84, false, 0, {}, {}},
        CorpusBootBlocks{"dc42/dcr-DART_1.5.3.image", 84, false, 0, {}, {}},
        // Other machines' boot code where a Macintosh looks for "LK".
        CorpusBootBlocks{"dc42/cp2-LisaTest_3.0_1.image", 84, false, 0, {}, {}},
        CorpusBootBlocks{"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", 84, false, 0, {}, {}}),
    testing::namedBy(&CorpusBootBlocks::path));

}  // namespace
}  // namespace zorv
