#pragma once

#include <cstdint>
#include <string>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Bytes.hpp"

namespace zorv::testing {

// A Disk Copy 4.2 image around `contents`: the 84-byte header (a name, the
// data size at byte 64, no tags, the signature 01 00 at bytes 82-83), then
// the contents. Checksums are left zero: detection does not read them.
inline Bytes diskCopyImage(const Bytes& contents, const std::string& name = "Image") {
    Bytes image(84, 0);
    image[0] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), image.begin() + 1);
    const Bytes size = toBigEndian(static_cast<uint32_t>(contents.size()));
    std::copy(size.begin(), size.end(), image.begin() + 64);
    image[80] = 0x01;
    image[81] = 0x22;
    image[82] = 0x01;
    image[83] = 0x00;
    image.insert(image.end(), contents.begin(), contents.end());
    return image;
}

// `contents` inside `depth` Disk Copy images, one in the other.
inline Bytes nestedDiskCopyImage(Bytes contents, int depth) {
    for (int level = 0; level < depth; ++level) contents = diskCopyImage(contents);
    return contents;
}

}  // namespace zorv::testing
