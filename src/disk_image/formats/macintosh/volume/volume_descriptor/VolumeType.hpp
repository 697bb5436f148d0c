#pragma once

namespace zorv {

// The kind of a volume to be placed in, or found in, a Macintosh device
// image. `unreadable` is a volume whose bytes did not open as the kind they
// were given as: the partition map gives it no entry.
enum class VolumeType { hfs, hfsPlus, mfs, proDOS, dos33, aux, unreadable };

// "HFS Volume", "HFS+ Volume", "MFS Volume", "ProDOS Volume", "DOS 3.3
// Volume", "A/UX Volume" or "Unreadable Volume Type".
const char* descriptiveName(VolumeType type);
// The file-name extension a volume of that kind is saved with: ".hdv" for
// ProDOS, ".dsk" for DOS 3.3, ".img" for the others.
const char* preferedExtension(VolumeType type);

}  // namespace zorv
