#include "disk_image/formats/amiga/AmigaChecksum.hpp"

namespace zorv {
namespace {

uint32_t longAt(ByteView bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

}  // namespace

uint32_t AmigaChecksum::calculatedChecksumValue(ByteView bytes) {
    uint32_t sum = 0;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) sum += longAt(bytes, at);
    return sum;
}

uint32_t AmigaChecksum::blockChecksum(ByteView blockWithZeroChecksum) {
    return 0u - calculatedChecksumValue(blockWithZeroChecksum);
}

uint32_t AmigaChecksum::bootBlockChecksum(ByteView bootBlockWithZeroChecksum) {
    uint32_t sum = 0;
    for (size_t at = 0; at + 4 <= bootBlockWithZeroChecksum.size(); at += 4) {
        const uint32_t word = longAt(bootBlockWithZeroChecksum, at);
        const uint32_t previous = sum;
        sum += word;
        if (sum < previous) ++sum;  // end-around carry
    }
    return ~sum;
}

}  // namespace zorv
