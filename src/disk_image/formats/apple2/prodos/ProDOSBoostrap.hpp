#pragma once

#include <array>
#include <cstdint>

namespace zorv {

// The ProDOS boot loader that every new ProDOS volume carries in blocks 0 and
// 1 (the name keeps its historical spelling). The bytes are compiled in from
// data/prodos/prodos-boot-loader.bin by the build (cmake/EmbedData.cmake),
// which checks the file's size against the size below. The file in the
// repository is a stand-in that only begins like the real loader (see
// data/prodos/README.md); the genuine loader can be dropped in and rebuilt.
// Whatever the file holds, it must begin with ProDOSBootSignature, since
// volumes are recognised by it; a test checks this.
struct ProDOSBoostrap {
    static const std::array<uint8_t, 1024> bytes;
};

}  // namespace zorv
