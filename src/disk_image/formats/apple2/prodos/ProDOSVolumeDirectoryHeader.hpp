#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSStorageType.hpp"

namespace zorv {

// The header of a ProDOS volume directory: the first entry of block 2, after
// the block's two chain pointers. It names the volume and gives the layout of
// the directory's entries, the volume's size in blocks and where its bitmap
// starts.
//
// On disk (39 bytes): storage type and name length (one byte, high and low
// nibble), the name (15 bytes), 8 reserved bytes, the creation date and time
// (4 bytes), version, minimum version, access, entry length and entries per
// block (one byte each), then the file count, the bitmap pointer and the
// total blocks (little-endian 16-bit each).
//
// A value made without bytes is the header of a new volume: "UNTITLED",
// access 0x63 (destroy, rename, write, read), 39-byte entries, 13 to a block,
// the bitmap at block 6.
struct ProDOSVolumeDirectoryHeader : AppleIIBlockable<ProDOSVolumeDirectoryHeader> {
    // Bytes the header occupies in its directory entry.
    static constexpr int64_t entrySize = 39;
    // Bytes of its encoding: a whole directory block after the two pointers.
    static constexpr int64_t encodedSize = 508;

    ProDOSStorageType storageType = ProDOSStorageType::volumeDirectoryHeader;
    int64_t nameLength = 8;
    std::string name = "UNTITLED";  // cut at nameLength (ProDOSName.hpp)
    std::optional<Date> creationDate = Date::now();  // none on disk when its bytes are zero
    int64_t version = 0;
    int64_t minVersion = 0;
    int64_t access = 0x63;
    int64_t entryLength = 0x27;
    int64_t entriesPerBlock = 0x0D;
    int64_t fileCount = 0;      // active entries of the volume directory
    int64_t bitmapPointer = 6;  // first block of the volume bitmap
    int64_t totalBlocks = 0;    // blocks in the volume

    ProDOSVolumeDirectoryHeader() = default;
    // Reads the first 39 bytes of `block` (more may follow). Throws
    // ProDOSVolumeDirectoryHeaderError::invalidStorageType unless the storage
    // nibble is 0xF, ::nonASCIIName when any byte of the whole 15-byte name
    // field (past the name length too) is 0x80 or more, and ReadPastEndError
    // for fewer than 39 bytes. No other field is checked.
    explicit ProDOSVolumeDirectoryHeader(const ImageBytes& block);

    // 13 chunks, 508 bytes: the header as above, with four zero bytes in
    // place of the creation date and time (new volumes carry no date), then
    // 469 zero bytes. Throws FieldEncodingError for a name longer than 15
    // bytes or a field beyond its width.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
