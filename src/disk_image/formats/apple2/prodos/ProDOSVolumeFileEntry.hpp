#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSStorageType.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

class ProDOSDisk;

// One entry of a ProDOS directory: a file (seedling, sapling, tree or
// extended file) or a subdirectory, and the item a ProDOS volume hands out
// for it.
//
// On disk (39 bytes, little-endian): storage type and name length (high and
// low nibble), the name (15 bytes), the file type, the key block, the blocks
// used, the end of file (3 bytes), the creation date and time, version,
// minimum version, access, the auxiliary type, the modification date and
// time, and the key block of the directory that holds the entry.
//
// The key block is the file's only data block (seedling), its index block
// (sapling), its master index block (tree), the key block of a subdirectory,
// or, for an extended file, the block that holds the entries of its two forks
// (dataFork, resourceFork), read when the entry is.
//
// Read only: its encoding is 39 zero bytes.
struct ProDOSVolumeFileEntry : AppleIIBlockable<ProDOSVolumeFileEntry>, VolumeItemRepresentable {
    // One fork of an extended file: the first (data fork) or second
    // (resource fork) 256 bytes of the file's key block, of which 8 are used:
    // the storage type (low nibble of byte 0), key block, blocks used and end
    // of file. Read only: its encoding is 256 zero bytes.
    struct MiniEntry : AppleIIBlockable<MiniEntry> {
        static constexpr int64_t encodedSize = 256;

        ProDOSStorageType storageType = ProDOSStorageType::deleted;  // a nibble naming none reads as deleted
        int64_t keyPointer = 0;
        int64_t blocksUsed = 0;
        int64_t eof = 0;

        MiniEntry() = default;
        // Reads the first 8 bytes of `block`. Throws ReadPastEndError for
        // fewer.
        explicit MiniEntry(const ImageBytes& block);

        std::vector<Bytes> dataBlockArray() const { return {Bytes(encodedSize, 0)}; }
    };

    static constexpr int64_t entrySize = 39;

    ProDOSStorageType storageType = ProDOSStorageType::deleted;  // a nibble naming none reads as deleted
    int64_t nameLength = 0;
    std::string fileName;  // cut at nameLength (ProDOSName.hpp)
    int64_t internalFileType = 0;  // ProDOS file type (ProDOSFileType)
    int64_t keyPointer = 0;
    int64_t blocksUsed = 0;
    int64_t eof = 0;  // bytes of the file; of the fork-entry block for an extended file
    std::optional<Date> creaDate;  // none when its bytes are zero, as lastMod
    int64_t version = 0;
    int64_t minVersion = 0;
    int64_t access = 0;
    int64_t auxType = 0;
    std::optional<Date> lastMod;
    int64_t headerPointer = 0;  // key block of the directory holding the entry (2: the volume directory)
    // The forks of an extended file. Both are absent for other entries, and
    // for an extended file whose key block lies beyond the image.
    std::optional<MiniEntry> dataFork;
    std::optional<MiniEntry> resourceFork;

    // Where the volume's directory walk met the entry: the directory block
    // and the entry's number in it (0 for the block's first). Not stored in
    // the entry itself; 0 for an entry read on its own.
    int64_t entryBlock = 0;
    int64_t entryIndex = 0;

    ProDOSVolumeFileEntry() = default;
    // Reads the first 39 bytes of `block`; for an extended file, also its
    // key block through `disk`, in the disk's sector order. Throws
    // ProDOSVolumeError::diskNotFound for an extended file without a disk,
    // ReadPastEndError for fewer than 39 bytes. Other entries never touch
    // the disk.
    ProDOSVolumeFileEntry(const ImageBytes& block, const ProDOSDisk* disk);

    // A fork of an extended file as an entry of its own, read like a
    // seedling, sapling or tree: the fork's storage type, key block, blocks
    // used and end of file, no name, both dates now, every other field 0.
    static ProDOSVolumeFileEntry forFork(const MiniEntry& fork);

    bool isExtendedFileWithForks() const { return dataFork.has_value() && resourceFork.has_value(); }

    std::vector<Bytes> dataBlockArray() const { return {Bytes(entrySize, 0)}; }

    // VolumeItemRepresentable
    std::string name() const override { return fileName; }
    // Both forks' ends of file for an extended file; eof for any other entry.
    std::optional<int64_t> logicalSizeInBytes() const override;
    // Both forks' blocks used for an extended file; blocksUsed for any other
    // entry; in bytes.
    std::optional<int64_t> physicalSizeInBytes() const override;
    std::optional<Date> creationDate() const override { return creaDate; }
    std::optional<Date> modificationDate() const override { return lastMod; }
    bool isFolder() const override { return storageType == ProDOSStorageType::subdirectory; }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    // The ProDOSFileType description of the file type and auxiliary type.
    std::optional<std::string> kind() const override;
    // "TEXT" for text (0x04) and Applesoft BASIC (0xFC, offered as its
    // listing), "????" for anything else.
    std::optional<OSType> type() const override;
    std::optional<OSType> creator() const override { return std::nullopt; }
    // The ProDOSFileType extension of the file type (".BAS" for 0xFC), or
    // empty; the name is not looked at.
    std::string fileExtension() const override;
    bool isExportable() const override { return true; }
    // "File type: $FC" and "Auxilliary: $0801" on two lines.
    std::optional<std::string> otherInfo() const override;
    // The directory block and entry number where the walk met the entry,
    // unique within a volume.
    std::optional<uint64_t> itemIdentifier() const override;
};

}  // namespace zorv
