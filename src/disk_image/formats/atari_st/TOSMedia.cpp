#include "disk_image/formats/atari_st/TOSMedia.hpp"

namespace zorv {

TOSMediaLayout TOSMediaLayout::of(TOSMedia media) {
    const bool singleSided = media == TOSMedia::SSDDFloppy;
    const bool doubleDensity = media != TOSMedia::DSHDFloppy;
    TOSMediaLayout layout{};
    layout.sides = singleSided ? 1 : 2;
    layout.tracksPerSide = 80;
    layout.sectorsPerTrack = doubleDensity ? 9 : 18;
    layout.totalSectors = layout.sides * layout.tracksPerSide * layout.sectorsPerTrack;
    layout.imageSizeInBytes = layout.totalSectors * 512;
    switch (media) {
        case TOSMedia::SSDDFloppy: layout.mediaByte = 0xF8; break;
        case TOSMedia::DSDDFloppy: layout.mediaByte = 0xF9; break;
        case TOSMedia::DSHDFloppy: layout.mediaByte = 0xF0; break;
    }
    layout.rootDirectoryEntries = doubleDensity ? 112 : 224;
    layout.sectorsPerFAT = doubleDensity ? 5 : 9;
    layout.fatSizeInBytes = layout.sectorsPerFAT * 512;
    return layout;
}

}  // namespace zorv
