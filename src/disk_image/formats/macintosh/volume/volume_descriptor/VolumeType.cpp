#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeType.hpp"

namespace zorv {

const char* descriptiveName(VolumeType type) {
    switch (type) {
        case VolumeType::hfs: return "HFS Volume";
        case VolumeType::hfsPlus: return "HFS+ Volume";
        case VolumeType::mfs: return "MFS Volume";
        case VolumeType::proDOS: return "ProDOS Volume";
        case VolumeType::dos33: return "DOS 3.3 Volume";
        case VolumeType::aux: return "A/UX Volume";
        case VolumeType::unreadable: return "Unreadable Volume Type";
    }
    return "Unreadable Volume Type";
}

const char* preferedExtension(VolumeType type) {
    switch (type) {
        case VolumeType::proDOS: return ".hdv";
        case VolumeType::dos33: return ".dsk";
        case VolumeType::hfs:
        case VolumeType::hfsPlus:
        case VolumeType::mfs:
        case VolumeType::aux:
        case VolumeType::unreadable: return ".img";
    }
    return ".img";
}

}  // namespace zorv
