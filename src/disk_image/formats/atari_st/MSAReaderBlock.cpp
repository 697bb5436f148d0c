#include "disk_image/formats/atari_st/MSAReaderBlock.hpp"

#include "disk_image/formats/atari_st/image_wrappers/MSAError.hpp"

namespace zorv {
namespace {

constexpr uint8_t runMark = 0xE5;

}  // namespace

Bytes MSAReaderBlock::getCompressedTrack(int64_t compressedLength, int64_t trackSize) {
    const int64_t end = offset + compressedLength;
    Bytes track;
    const auto grow = [&](int64_t count, uint8_t value) {
        if (static_cast<int64_t>(track.size()) + count > trackSize) throw MSAError(MSAError::Case::oversizedTrack);
        track.insert(track.end(), static_cast<size_t>(count), value);
    };
    do {
        const uint8_t byte = getByte();
        if (byte == runMark) {
            const uint8_t value = getByte();
            grow(getInteger(), value);
        } else {
            grow(1, byte);
        }
    } while (offset < end);
    return track;
}

}  // namespace zorv
