#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSFInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One file of an MFS volume's directory: its Finder information, file
// number, the place and lengths of its two forks, its dates and its name.
// MFS has no folders, so every entry is a file at the top of the volume.
//
// On disk an entry is 50 fixed bytes and the name (a length byte, then the
// characters in Mac OS Roman), padded to an even length. Integers hold the
// unsigned on-disk values.
//
// As a volume item it reports names, sizes, dates and Finder flags only: the
// volume never reads file contents, so nothing can be exported, and type and
// creator are left out of the reports.
struct MFSFileDirectoryEntry : VolumeItemRepresentable {
    // Bytes before the name.
    static constexpr int64_t fixedSize = 50;
    // flFlags bit that marks an entry in use.
    static constexpr int64_t inUseFlag = 0x80;

    int64_t flFlags = 0;    // entry flags; inUseFlag set for a used entry
    int64_t flTyp = 0;      // version number
    HFSFInfo flUsrWds;      // Finder information
    int64_t flFlNum = 0;    // file number
    int64_t flStBlk = 0;    // first allocation block of the data fork
    int64_t flLgLen = 0;    // logical length of the data fork
    int64_t flPyLen = 0;    // physical length of the data fork
    int64_t flRStBlk = 0;   // first allocation block of the resource fork
    int64_t flRLgLen = 0;   // logical length of the resource fork
    int64_t flRPyLen = 0;   // physical length of the resource fork
    Date flCrDat;           // created
    Date flMdDat;           // last modified
    std::string flNam;      // name; empty when its bytes do not decode

    MFSFileDirectoryEntry() = default;
    // Reads one entry at the reader's offset and leaves the reader just after
    // the name (before any pad byte). Throws ReadPastEndError when the fixed
    // part or the name passes the end of the reader's data.
    explicit MFSFileDirectoryEntry(HFSReaderBlock& reader);

    // The Finder flags whose every bit is set in fdFlags, in FinderFlag
    // order; an empty list when there are none.
    static std::vector<FinderFlag> finderFlags(int64_t fdFlags);

    std::string name() const override { return flNam; }
    // Both forks together.
    std::optional<int64_t> logicalSizeInBytes() const override { return flLgLen + flRLgLen; }
    std::optional<int64_t> physicalSizeInBytes() const override { return flPyLen + flRPyLen; }
    std::optional<Date> creationDate() const override { return flCrDat; }
    std::optional<Date> modificationDate() const override { return flMdDat; }
    bool isFolder() const override { return false; }
    std::optional<std::vector<FinderFlag>> flags() const override { return finderFlags(flUsrWds.fdFlags); }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    bool isExportable() const override { return false; }
    // The file number, unique within a volume.
    std::optional<uint64_t> itemIdentifier() const override { return static_cast<uint64_t>(flFlNum); }
};

}  // namespace zorv
