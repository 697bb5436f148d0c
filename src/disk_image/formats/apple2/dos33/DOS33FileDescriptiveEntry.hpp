#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One file of a DOS 3.3 catalog, and the item a DOS 3.3 disk hands out for
// it.
//
// On disk (35 bytes): the track and sector of the file's first track/sector
// list (a track of 0xFF marks a deleted entry), the file type byte with the
// locked bit (0x80), the name (30 bytes in the Apple II character set,
// padded with spaces), and the file's length in sectors as DOS counts it
// (little-endian 16-bit, its list sectors included).
//
// Files have no dates, types or Finder information as the reports see them,
// and their contents are not offered: the DOS file type and the locked bit
// are kept here but reported nowhere. Sizes are the sector count times 256.
//
// Read only: its encoding is 256 zero bytes.
struct DOS33FileDescriptiveEntry : AppleIIBlockable<DOS33FileDescriptiveEntry>, VolumeItemRepresentable {
    static constexpr int64_t entrySize = 35;
    static constexpr int64_t encodedSize = 256;
    // The bit of fileTypeAndFlags that marks a locked file.
    static constexpr int64_t lockedBitmask = 0x80;

    bool isDeleted = false;
    int64_t trackOfFirstTSList = 0;
    int64_t sectorOfFirstTSList = 0;
    int64_t fileTypeAndFlags = 0;
    std::string fileName;
    int64_t fileLength = 0;  // in sectors
    // Ties the file's sectors in the disk's sector map to it: set by the
    // disk when it opens, unique within that disk and never one of the
    // numbers it gives DOS's own sectors or the catalog.
    int64_t uuid = 0;

    DOS33FileDescriptiveEntry() = default;
    // Reads the first 35 bytes of `block`. A name with a byte stored with
    // bit 7 clear (inverse or flashing text) reads as the empty name; names
    // are trimmed of spaces and line ends at both ends. Throws
    // ReadPastEndError for fewer than 35 bytes.
    explicit DOS33FileDescriptiveEntry(const ImageBytes& block);

    std::vector<Bytes> dataBlockArray() const { return {Bytes(encodedSize, 0)}; }

    // VolumeItemRepresentable
    std::string name() const override { return fileName; }
    std::optional<int64_t> logicalSizeInBytes() const override { return fileLength * 256; }
    std::optional<int64_t> physicalSizeInBytes() const override { return fileLength * 256; }
    std::optional<Date> creationDate() const override { return std::nullopt; }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    bool isFolder() const override { return false; }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    bool isExportable() const override { return false; }
    std::optional<uint64_t> itemIdentifier() const override { return static_cast<uint64_t>(uuid); }
};

}  // namespace zorv
