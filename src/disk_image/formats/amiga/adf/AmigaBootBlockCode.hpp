#pragma once

#include <array>
#include <cstdint>

namespace zorv {

// The boot program a bootable Amiga volume carries from byte 12 of its boot
// block. The bytes are compiled in from data/amiga/amiga-boot-block-code.bin
// by the build (cmake/EmbedData.cmake), which checks the file's size. The
// file in the repository is a stand-in that ends the boot at once (see
// data/amiga/README.md); the standard AmigaDOS program can be dropped in and
// rebuilt.
struct AmigaBootBlockCode {
    static const std::array<uint8_t, 1012> bytes;
};

}  // namespace zorv
