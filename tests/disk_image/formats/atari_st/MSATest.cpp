// MSA files: the tracks the header counts, the limits that keep a damaged or
// hostile file from expanding without bound, and Hatari's own MSA files
// against the floppies they were made from (the run-length code of tracks
// is read back from hmsa's files here and in the mtools floppy tests).

#include <gtest/gtest.h>

#include <string>

#include "disk_image/formats/atari_st/image_wrappers/MSA.hpp"
#include "disk_image/formats/atari_st/image_wrappers/MSAError.hpp"
#include "platform/FileSystem.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

// The 10-byte header.
ByteBuilder header(int64_t sectors, int64_t sidesMinusOne, int64_t firstTrack, int64_t lastTrack) {
    ByteBuilder bytes;
    bytes.u8(0x0E).u8(0x0F).u16(sectors).u16(sidesMinusOne).u16(firstTrack).u16(lastTrack);
    return bytes;
}

// One track of one sector (512 bytes) in run-length code: `first`, then a
// run of 511 zeros.
ByteBuilder codedTrack(uint8_t first) {
    ByteBuilder record;
    record.u16(5).u8(first).u8(0xE5).u8(0x00).u16(511);
    return record;
}

// Records beyond the tracks the header counts are not read; a last track
// below the first counts none.
TEST(MSA, ReadsTheTracksTheHeaderAsksFor) {
    ByteBuilder file = header(1, 1, 3, 4);  // two sides of tracks 3 and 4
    for (int record = 0; record < 5; ++record) file.bytes(codedTrack(static_cast<uint8_t>(record)));
    const MSA msa(file.image());
    ASSERT_EQ(msa.decompressedData.size(), 4u * 512);
    for (size_t track = 0; track < 4; ++track) EXPECT_EQ(msa.decompressedData[track * 512], track);
    EXPECT_TRUE(MSA(header(9, 1, 5, 4).image()).decompressedData.empty());
}

struct RefusalCase {
    const char* name;
    Bytes file;
    MSAError::Case error;
};

class MSARefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MSARefusals, EndAtOnceWithTheirError) {
    testing::expectError<MSAError>(GetParam().error, [&] { MSA(ImageBytes(GetParam().file)); });
}

INSTANTIATE_TEST_SUITE_P(
    Files, MSARefusals,
    ::testing::Values(
        RefusalCase{"Signature", ByteBuilder().u8(0x0F).u8(0x0E).zeros(8), MSAError::Case::invalidSignature},
        RefusalCase{"ThreeSides", header(9, 2, 0, 79), MSAError::Case::invalidGeometry},
        RefusalCase{"HugeHeader", header(0xFFFF, 0xFFFF, 0, 0xFFFF), MSAError::Case::invalidGeometry},
        // Hatari's own limits: 56 sectors a track, tracks up to 86.
        RefusalCase{"Sectors57", header(57, 0, 0, 0), MSAError::Case::invalidGeometry},
        RefusalCase{"LastTrack87", header(9, 0, 0, 87), MSAError::Case::invalidGeometry},
        RefusalCase{"LargestHeaderWantsItsTracks", header(56, 1, 0, 86), MSAError::Case::truncatedImage},
        // One 4-byte run asks for 65,535 bytes of a 512-byte track.
        RefusalCase{"Bomb", header(1, 0, 0, 0).u16(4).u8(0xE5).u8(0).u16(0xFFFF), MSAError::Case::oversizedTrack},
        RefusalCase{"LiteralsBeyondTheTrack", header(1, 0, 0, 0).u16(513).zeros(513), MSAError::Case::oversizedTrack},
        RefusalCase{"HeaderOnly", header(9, 1, 0, 79), MSAError::Case::truncatedImage},
        RefusalCase{"CutInsideATrack", header(9, 0, 0, 0).u16(4608).zeros(100), MSAError::Case::truncatedImage},
        RefusalCase{"CutInsideARun", header(9, 0, 0, 0).u16(4).u8(0xE5).u8(0), MSAError::Case::truncatedImage},
        RefusalCase{"ShortHeader", ByteBuilder().u8(0x0E).u8(0x0F).u16(9), MSAError::Case::truncatedImage}),
    testing::namedBy(&RefusalCase::name));

// Hatari's hmsa made these from the floppies beside them; unpacking gives
// the floppies back byte for byte.
TEST(MSACorpus, HmsaFilesExpandToTheirFloppies) {
    for (const auto& [packed, floppy] :
         {std::pair{"msa/derived-hmsa-hatari-bootdesk.msa", "st/hatari-bootdesk.st"},
          std::pair{"msa/derived-hmsa-hatari-blank-a.msa", "st/hatari-blank-a.st"}}) {
        const auto msa = testing::corpusImage(packed);
        const auto st = testing::corpusImage(floppy);
        if (!msa || !st) GTEST_SKIP() << packed << " or " << floppy << " is not in the corpus";
        EXPECT_EQ(MSA::extractedImage(*msa), *st) << packed;
    }
}

}  // namespace
}  // namespace zorv
