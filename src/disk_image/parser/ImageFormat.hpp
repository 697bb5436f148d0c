#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zorv {

// The formats that detection tells apart, in this order (the order of
// `allImageFormats`, not the order in which detection tries them).
enum class ImageFormat {
    macintoshDevice,
    hfs,
    hfsPlus,
    mfs,
    prodos,
    dos33,
    adfVolume,
    amigaHardDisk,
    tosVolume,
    emptyVolume,
};

inline constexpr std::array<ImageFormat, 10> allImageFormats{
    ImageFormat::macintoshDevice, ImageFormat::hfs,         ImageFormat::hfsPlus,   ImageFormat::mfs,
    ImageFormat::prodos,          ImageFormat::dos33,       ImageFormat::adfVolume, ImageFormat::amigaHardDisk,
    ImageFormat::tosVolume,       ImageFormat::emptyVolume,
};

// The format's name in the reports: "Macintosh Device", "HFS", "HFS+"...
std::string_view rawValue(ImageFormat format);
// The format whose rawValue() is `text`; nothing for any other text.
std::optional<ImageFormat> imageFormatFromRawValue(std::string_view text);
// The computer family: "Macintosh", "Apple II", "Amiga", "Atari ST", or
// "Unknown" for an empty volume.
std::string_view computerClass(ImageFormat format);
// Bytes per block in the reports: 512, and 0 for an empty volume.
int64_t blockSize(ImageFormat format);
// A paragraph about the format for the user (lines split by "\n").
std::string_view helpfulDescription(ImageFormat format);

}  // namespace zorv
