#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSDInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSDXInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSFInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSFXInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The data of one HFS catalog leaf: a folder, a file, or the thread of a
// folder or file. It starts with a record type byte and a reserved byte; the
// body after them is one of the four records below, the one that the type
// selects. Integers hold the unsigned values stored; dates are points in
// time read from wall-clock seconds since 1904 (HFSReaderBlock).
struct HFSCatalogLeafData : HFSBlockable<HFSCatalogLeafData> {
    enum class LeafType : int {
        directory = 1,
        file = 2,
        directoryThread = 3,
        fileThread = 4,
        unknown = 5,  // any other record type byte
    };
    // The case of a raw value 1 to 5; nothing for any other value.
    static std::optional<LeafType> leafTypeFromRawValue(int64_t rawValue);
    static constexpr int64_t rawValue(LeafType type) { return static_cast<int64_t>(type); }

    // A folder (cdrDirRec): 68 bytes of body, 70 with the two header bytes.
    struct FolderRecord : HFSBlockable<FolderRecord> {
        static constexpr int64_t bodySize = 68;

        int64_t dirFlags = 0;
        int64_t dirVal = 0;    // valence: items directly in the folder
        int64_t dirDirID = 0;  // the folder's own ID
        Date dirCrDat;
        Date dirMdDat;
        Date dirBkDat;
        HFSDInfo dirUsrInfo;
        HFSDXInfo dirFndrInfo;
        std::array<int64_t, 4> dirResrv{};

        FolderRecord() = default;
        // Reads the body (the bytes after the two header bytes);
        // ReadPastEndError when it is shorter than bodySize.
        explicit FolderRecord(const ImageBytes& data);
        std::vector<Bytes> dataBlockArray() const;  // 9 chunks, in field order
    };

    // A file (cdrFilRec): 100 bytes of body, 102 with the two header bytes.
    struct FileRecord : HFSBlockable<FileRecord> {
        static constexpr int64_t bodySize = 100;

        int64_t filFlags = 0;
        int64_t filTyp = 0;
        HFSFInfo filUsrWds;     // type, creator, Finder flags, location, folder
        int64_t filFlNum = 0;   // the file's ID
        int64_t filStBlk = 0;   // first allocation block of the data fork
        int64_t filLgLen = 0;   // data fork length in bytes
        int64_t filPyLen = 0;   // data fork allocated bytes
        int64_t filRStBlk = 0;  // first allocation block of the resource fork
        int64_t filRLgLen = 0;  // resource fork length in bytes
        int64_t filRPyLen = 0;  // resource fork allocated bytes
        Date filCrDat;
        Date filMdDat;
        Date filBkDat;
        HFSFXInfo filFndrInfo;
        int64_t filClpSize = 0;
        std::vector<ExtDescriptor> filExtRec{3};   // first extents of the data fork
        std::vector<ExtDescriptor> filRExtRec{3};  // first extents of the resource fork
        int64_t filResrv = 0;

        FileRecord() = default;
        // Reads the body; ReadPastEndError when it is shorter than bodySize.
        explicit FileRecord(const ImageBytes& data);
        std::vector<Bytes> dataBlockArray() const;  // 18 chunks, in field order
    };

    // The thread of a folder (cdrThdRec): its parent's ID and its name.
    // 44 bytes of body, 46 with the two header bytes.
    struct FolderThreadRecord : HFSBlockable<FolderThreadRecord> {
        static constexpr int64_t bodySize = 44;

        std::array<int64_t, 2> thdResrv{};
        int64_t thdParID = 0;
        std::string thdCName;

        FolderThreadRecord() = default;
        // Reads the body; ReadPastEndError when it is shorter than bodySize,
        // ValueOutOfRangeError when the name's length byte exceeds 31.
        explicit FolderThreadRecord(const ImageBytes& data);
        // Four chunks: reserved words, parent ID, the name padded to an even
        // length, zeros up to the 32-byte name field (32 zeros for a name that
        // is not Mac OS Roman). A name over 31 bytes is a caller's error.
        std::vector<Bytes> dataBlockArray() const;
    };

    // The thread of a file (cdrFThdRec): the same layout as a folder thread.
    struct FileThreadRecord : HFSBlockable<FileThreadRecord> {
        static constexpr int64_t bodySize = 44;

        std::array<int64_t, 2> fthdResrv{};
        int64_t fthdParID = 0;
        std::string fthdCName;

        FileThreadRecord() = default;
        explicit FileThreadRecord(const ImageBytes& data);
        std::vector<Bytes> dataBlockArray() const;
    };

    LeafType leafType = LeafType::unknown;
    int64_t cdrResrv2 = 0;
    // At most one is present: the one that leafType selects.
    std::optional<FolderRecord> directoryRecord;
    std::optional<FileRecord> fileRecord;
    std::optional<FolderThreadRecord> directoryThread;
    std::optional<FileThreadRecord> fileThread;

    HFSCatalogLeafData() = default;
    // Reads the leaf data from its record type byte on. Never throws. Type
    // bytes other than 1 to 4 give an unknown leaf holding no record; so do
    // data too short for its type (empty data included) and a thread whose
    // name length byte exceeds 31, which no catalog writer produces.
    explicit HFSCatalogLeafData(const ImageBytes& data);

    // Three chunks: the leaf type's raw value, cdrResrv2, and the selected
    // record's bytes (empty when it is absent, always for an unknown leaf).
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
