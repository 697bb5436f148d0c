#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusLeafTypeRepresentable.hpp"

namespace zorv {

// The body of an HFS+ catalog leaf record: the u16 record type, then the
// folder, file or thread record it announces.
struct HFSPlusCatalogLeafData : HFSPlusBlockable<HFSPlusCatalogLeafData> {
    enum class LeafType : int64_t { directory = 1, file = 2, directoryThread = 3, fileThread = 4 };

    // The case of a stored record type, nothing outside 1 to 4.
    static std::optional<LeafType> leafTypeFromRawValue(int64_t rawValue);

    LeafType leafType = LeafType::fileThread;
    HFSPlusLeafTypeRepresentable record{HFSPlusCatalogThreadRecord()};

    HFSPlusCatalogLeafData() = default;
    HFSPlusCatalogLeafData(LeafType leafType, HFSPlusLeafTypeRepresentable record)
        : leafType(leafType), record(std::move(record)) {}
    // Decodes a record body; `blockSize` is the volume's allocation block
    // size, handed to a file record's forks. Type 1 is a folder, 2 a file,
    // 3 a folder thread; 4 and every other value a file thread, its bytes
    // read as a thread record. Throws ReadPastEndError when the body is
    // shorter than its record's layout (2 bytes of type, then 86 for a
    // folder, 246 for a file, 6 + 2n for a thread), and ValueOutOfRangeError
    // for a fork length of 2^63 or more.
    HFSPlusCatalogLeafData(const ImageBytes& data, int64_t blockSize);

    // The record, when it is of that kind.
    const HFSPlusFolderRecord* folderRecord() const { return std::get_if<HFSPlusFolderRecord>(&record); }
    const HFSPlusFileRecord* fileRecord() const { return std::get_if<HFSPlusFileRecord>(&record); }
    const HFSPlusCatalogThreadRecord* threadRecord() const { return std::get_if<HFSPlusCatalogThreadRecord>(&record); }

    // Two chunks: the leaf type's raw value (u16), then the record's bytes.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
