#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/atari_st/TOSBlockable.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"

namespace zorv {

// An MSA (Magic Shadow Archiver) file: an Atari ST floppy stored track by
// track, each track as it is or in a run-length code. A 10-byte big-endian
// header (the signature 0x0E 0x0F, sectors per track, sides minus one, first
// and last track) is followed by one record per side of each track: a
// 16-bit length n and n bytes, the track itself when n is a whole track,
// else its run-length code (MSAReaderBlock::getCompressedTrack).
//
// Format detection expands the file, detects the floppy again, and gives
// the volume an empty MSA as its wrapper. Nothing writes MSA files.
class MSA final : public ImageWrapperRepresentable, public TOSBlockable<MSA> {
public:
    static constexpr std::array<uint8_t, 2> MSASignature{0x0E, 0x0F};
    // The largest floppy an MSA header may describe, as Hatari allows it;
    // beyond these it is refused, which bounds what a file can expand to
    // (87 tracks of 2 sides of 56 sectors: 4,988,928 bytes).
    static constexpr int64_t maximumSides = 2;
    static constexpr int64_t maximumSectorsPerTrack = 56;
    static constexpr int64_t maximumLastTrack = 86;

    // The floppy's bytes; empty in the wrapper of a volume.
    ImageBytes decompressedData;

    MSA() = default;
    // Expands a whole MSA file: track records are read until the tracks of
    // the header are all there ((last - first + 1) x sides x sectors x 512
    // bytes; none when the last track is below the first). Throws
    // MSAError::invalidSignature, invalidGeometry for a header beyond the
    // limits above, oversizedTrack for a record that expands beyond a
    // track, and truncatedImage for a file that ends inside a record.
    explicit MSA(const ImageBytes& data);

    // True when the bytes begin with MSASignature.
    static bool isPossiblyMSA(ByteView image);
    // MSA(data).decompressedData.
    static ImageBytes extractedImage(const ImageBytes& image);

    std::string descriptiveName() const override { return "MSA"; }
    std::string helpfulDescription() const override;

    std::vector<Bytes> dataBlockArray() const { return {decompressedData.toBytes()}; }
};

static_assert(ExtractableImageWrapper<MSA>);

}  // namespace zorv
