#include "disk_image/parser/ImageFormat.hpp"

namespace zorv {

std::string_view rawValue(ImageFormat format) {
    switch (format) {
        case ImageFormat::macintoshDevice:
            return "Macintosh Device";
        case ImageFormat::hfs:
            return "HFS";
        case ImageFormat::hfsPlus:
            return "HFS+";
        case ImageFormat::mfs:
            return "MFS";
        case ImageFormat::prodos:
            return "ProDOS";
        case ImageFormat::dos33:
            return "DOS 3.3";
        case ImageFormat::adfVolume:
            return "Amiga Disk Format";
        case ImageFormat::amigaHardDisk:
            return "Amiga Hard Disk";
        case ImageFormat::tosVolume:
            return "Atari ST TOS";
        case ImageFormat::emptyVolume:
            return "Empty Volume";
    }
    return "";
}

std::optional<ImageFormat> imageFormatFromRawValue(std::string_view text) {
    for (const ImageFormat format : allImageFormats) {
        if (rawValue(format) == text) return format;
    }
    return std::nullopt;
}

std::string_view computerClass(ImageFormat format) {
    switch (format) {
        case ImageFormat::macintoshDevice:
        case ImageFormat::hfs:
        case ImageFormat::hfsPlus:
        case ImageFormat::mfs:
            return "Macintosh";
        case ImageFormat::prodos:
        case ImageFormat::dos33:
            return "Apple II";
        case ImageFormat::adfVolume:
        case ImageFormat::amigaHardDisk:
            return "Amiga";
        case ImageFormat::tosVolume:
            return "Atari ST";
        case ImageFormat::emptyVolume:
            return "Unknown";
    }
    return "";
}

int64_t blockSize(ImageFormat format) { return format == ImageFormat::emptyVolume ? 0 : 512; }

std::string_view helpfulDescription(ImageFormat format) {
    switch (format) {
        case ImageFormat::macintoshDevice:
            return "This is a Macintosh Device Image. It's typically used by hardware solutions replacing full disk "
                   "drives, like BlueSCSI or PiSCSI.\nAn emulator like Basilisk can also use this, but will ignore "
                   "the parts that are not HFS or HFS+ partitions.";
        case ImageFormat::hfs:
            return "This is an HFS volume. HFS was introduced in September 1985 as the new file system of the "
                   "Macintosh.";
        case ImageFormat::hfsPlus:
            return "This is an HFS+ volume. HFS+ replaced the Hierarchical File System (HFS) as the primary file "
                   "system of Apple computers with the 1998 release of Mac OS 8.1.";
        case ImageFormat::mfs:
            // "Septenber" is how the text has always read; the reports keep it.
            return "This is an MFS volume. MFS is the ancestor of HFS, which replaced it in Septenber 1985. System "
                   "7.6.1 dropped support for writing to an MFS volume. Mac OS 8 and later cannot read MFS.";
        case ImageFormat::prodos:
            return "This is a ProDOS volume. ProDOS is the newer disk format of the Apple II.";
        case ImageFormat::dos33:
            return "This is a DOS 3.3 volume. DOS is the older disk format of the Apple II.";
        case ImageFormat::adfVolume:
            return "This is an Amiga volume in the ADF format.\nMost likely, this is either the image of a floppy, or "
                   "a hard file created for use in the UAE emulator.";
        case ImageFormat::amigaHardDisk:
            return "This is an Amiga hard disk image, quite possibly from a SCSI hard drive.\nYou could probably use "
                   "this image in a device like BlueSCSI.";
        case ImageFormat::tosVolume:
            return "This is an Atari ST floppy.";
        case ImageFormat::emptyVolume:
            return "This is a completely empty volume, full of zeroes.";
    }
    return "";
}

}  // namespace zorv
