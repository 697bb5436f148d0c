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

// The header of a ProDOS subdirectory: the first entry of its key block. It
// repeats the subdirectory's name and points back at the entry that lists
// the subdirectory in its parent.
//
// On disk (39 bytes): storage type and name length, the name (15 bytes), 8
// reserved bytes, the creation date and time, version, minimum version,
// access, entry length and entries per block (one byte each), the file count
// and the parent pointer (16-bit each), the parent entry number and the
// parent's entry length (one byte each).
//
// Read only: its encoding is 39 zero bytes.
struct ProDOSVolumeSubdirectoryHeader : AppleIIBlockable<ProDOSVolumeSubdirectoryHeader> {
    static constexpr int64_t entrySize = 39;

    ProDOSStorageType storageType = ProDOSStorageType::subdirectoryHeader;  // a nibble naming none reads as deleted
    int64_t nameLength = 0;
    std::string subdirName;  // cut at nameLength (ProDOSName.hpp)
    std::optional<Date> creationDate;  // none when its bytes are zero
    int64_t version = 0;
    int64_t minVersion = 0;
    int64_t access = 0;
    int64_t entryLength = 0;
    int64_t entriesPerBlock = 0;
    int64_t fileCount = 0;
    int64_t parentPointer = 0;      // directory block holding this subdirectory's entry
    int64_t parentEntry = 0;        // number of that entry in its block
    int64_t parentEntryLength = 0;  // entry length of the parent directory

    ProDOSVolumeSubdirectoryHeader() = default;
    // Reads the first 39 bytes of `block`; nothing is checked. Throws
    // ReadPastEndError for fewer than 39 bytes.
    explicit ProDOSVolumeSubdirectoryHeader(const ImageBytes& block);

    std::vector<Bytes> dataBlockArray() const { return {Bytes(entrySize, 0)}; }
};

}  // namespace zorv
