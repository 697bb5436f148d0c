#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"

namespace zorv {

// The boot block of an Amiga DOS volume: its first 1,024 bytes (blocks 0 and
// 1). On disk: "DOS", the file-system byte (`flags`), the checksum, the root
// block pointer and 1,012 bytes of boot program.
//
// A volume is recognised by its root block, not by this block: it is read
// for the file system of the volume's files and the report's format name,
// and for the root pointer, which AmigaDOS itself never uses to find the
// root (high-density floppies say 880 there and keep their root at 1,760).
struct ADFDiskBootBlock : AmigaBlockable<ADFDiskBootBlock> {
    enum class ADFFileSystemMode : int64_t { OFS = 0, FFS = 1 };

    static constexpr int64_t size = 1024;
    static constexpr int64_t bootCodeSize = 1012;
    static constexpr std::array<uint8_t, 3> AmigaDOSSignature{'D', 'O', 'S'};

    int64_t flags = 0;  // 0...255
    int64_t checksum = 0;
    int64_t rootBlockLocation = 0;
    ImageBytes bootCode;  // 1,012 bytes of the image when read; the boot program or empty when built

    ADFDiskBootBlock() = default;
    // Reads the first 1,024 bytes of `block`. Throws
    // ADFDiskError::invalidBootBlock unless they begin with "DOS", and
    // ReadPastEndError for fewer bytes. The checksum is not verified.
    explicit ADFDiskBootBlock(const ImageBytes& block);

    // The boot block of a new volume, marked OFS ("DOS" and 0). Bootable: the
    // boot program (AmigaBootBlockCode), the root pointer and its checksum;
    // not bootable: zeros after the signature.
    static ADFDiskBootBlock blankBootBlock(bool bootable, int64_t rootBlockLocation);

    // FFS for flags 1, 3 and 5 (plain, international and directory cache),
    // OFS for every other value.
    ADFFileSystemMode fileSystem() const;

    // The signature, flags, checksum, root pointer and boot program padded
    // with zeros to 1,012 bytes: 1,024 bytes in all.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
