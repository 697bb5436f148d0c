#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One 32-byte entry of an Atari ST directory (integers little-endian): the
// name (8 bytes) and extension (3), both in code page 437 padded with
// spaces; the attribute byte (11); ten reserved bytes; the packed time (22)
// and date (24) words; the starting cluster (26) and the size in bytes (28).
//
// The first name byte doubles as a mark: 0x00 an entry never used, 0xE5 a
// deleted one, 0x05 a name that really begins with 0xE5, "." the entry of
// the directory itself and ".." that of the enclosing one.
struct TOSDirectoryEntry : VolumeItemRepresentable {
    static constexpr int64_t entrySize = 32;

    // The attribute byte as read. Two bits mean something to the reader:
    // the volume label and the subdirectory. Long-name entries, written by
    // today's tools before the 8.3 entry of a file with a long or
    // lower-case name, have all four low bits set.
    struct EntryOption {
        static constexpr uint8_t volumeLabel = 0x08;
        static constexpr uint8_t subdirectory = 0x10;
        static constexpr uint8_t longName = 0x0F;

        uint8_t rawValue = 0;

        bool contains(uint8_t bits) const { return (rawValue & bits) == bits; }
        bool isLongName() const { return rawValue == longName; }
        friend bool operator==(const EntryOption&, const EntryOption&) = default;
    };

    // The name part, trimmed of spaces and tabs at both ends.
    std::string fileName;
    // The extension part as read: control characters trimmed, spaces kept
    // ("C  " for an extension of one letter).
    std::string extension;
    EntryOption attributes;
    // The packed time and date in local time; none when the date word is 0
    // or the words name no moment.
    std::optional<Date> fileDateTime;
    int64_t startingCluster = 0;
    int64_t fileSize = 0;
    bool neverUsed = false;
    bool deleted = false;
    bool isCurrentPointer = false;
    bool isParentPointer = false;
    // The cluster of the directory that holds the entry, 0 for the root
    // directory; the volume reader supplies it.
    int64_t parentCluster = 0;

    // Parses the 32 bytes at the start of `data` (ReadPastEndError for fewer).
    TOSDirectoryEntry(const ImageBytes& data, int64_t parentCluster);

    bool isLive() const { return !neverUsed && !deleted; }
    bool isSubdirectory() const { return attributes.contains(EntryOption::subdirectory); }

    // VolumeItemRepresentable
    // The name, then a full stop and the extension without its trailing
    // spaces when there is one.
    std::string name() const override;
    std::optional<int64_t> logicalSizeInBytes() const override { return fileSize; }
    // The bytes of the file, not of the clusters it takes up.
    std::optional<int64_t> physicalSizeInBytes() const override { return fileSize; }
    std::optional<Date> creationDate() const override { return fileDateTime; }
    std::optional<Date> modificationDate() const override { return fileDateTime; }
    bool isFolder() const override { return isSubdirectory(); }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    // The extension as read, without a full stop.
    std::string fileExtension() const override { return extension; }
    bool isExportable() const override { return true; }
};

}  // namespace zorv
