#include "disk_image/formats/amiga/AmigaChecksum.hpp"

#include "data_access/ByteHelpers.hpp"

namespace zorv {

uint32_t AmigaChecksum::calculatedChecksumValue(ByteView bytes) {
    uint32_t sum = 0;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) sum += fromLongBigEndian(bytes.subspan(at));
    return sum;
}

uint32_t AmigaChecksum::blockChecksum(ByteView blockWithZeroChecksum) {
    return 0u - calculatedChecksumValue(blockWithZeroChecksum);
}

uint32_t AmigaChecksum::bootBlockChecksum(ByteView bootBlockWithZeroChecksum) {
    uint32_t sum = 0;
    for (size_t at = 0; at + 4 <= bootBlockWithZeroChecksum.size(); at += 4) {
        const uint32_t word = fromLongBigEndian(bootBlockWithZeroChecksum.subspan(at));
        const uint32_t previous = sum;
        sum += word;
        if (sum < previous) ++sum;  // end-around carry
    }
    return ~sum;
}

}  // namespace zorv
