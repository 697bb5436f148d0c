#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv::testing {

// On-disk bytes of HFS+ catalog and extents records for tests, laid out field
// by field as TN1150 gives them. Names are UTF-16 code units, dates raw
// seconds since 1904.

// A fork record (80 bytes): the first eight of `extents`, (start, count) each.
inline Bytes hfsPlusForkRecord(int64_t logicalSize, int64_t totalBlocks,
                               const std::vector<std::pair<int64_t, int64_t>>& extents) {
    ByteBuilder record;
    record.u64(static_cast<uint64_t>(logicalSize)).u32(0).u32(totalBlocks);
    for (size_t slot = 0; slot < 8; ++slot) {
        const auto extent = slot < extents.size() ? extents[slot] : std::pair<int64_t, int64_t>{0, 0};
        record.u32(extent.first).u32(extent.second);
    }
    return record;
}

// A catalog key without its length field: parent ID, then the counted name.
inline Bytes hfsPlusCatalogKey(int64_t parentID, std::u16string_view name) {
    return ByteBuilder().u32(parentID).utf16Name(name);
}

// A catalog leaf record as it lies in its node: u16 key length, key, body.
inline Bytes hfsPlusCatalogRecord(int64_t parentID, std::u16string_view name, const Bytes& body) {
    return BTreeFileBuilder::keyedRecord(hfsPlusCatalogKey(parentID, name), body, true);
}

// A folder record body, record type included (88 bytes).
inline Bytes hfsPlusFolderBody(int64_t folderID, int64_t valence = 0, int64_t flags = 0, int64_t created = 0,
                               int64_t modified = 0, int64_t finderFlags = 0) {
    ByteBuilder body;
    body.u16(1).u16(flags).u32(valence).u32(folderID);
    body.u32(created).u32(modified).u32(modified).u32(modified).u32(0);
    body.zeros(16);                                                   // BSD information
    body.u16(0).u16(0).u16(0).u16(0).u16(finderFlags).u32(0).u16(0);  // window, flags, location
    body.zeros(16);                                                   // extended Finder information
    body.u32(0).u32(0);
    return body;
}

// What a file record body holds besides its ID.
struct HFSPlusFileFields {
    std::array<char, 4> type{'T', 'E', 'X', 'T'};
    std::array<char, 4> creator{'t', 't', 'x', 't'};
    int64_t finderFlags = 0;
    int64_t created = 0;
    int64_t modified = 0;
    Bytes dataFork = hfsPlusForkRecord(0, 0, {});
    Bytes resourceFork = hfsPlusForkRecord(0, 0, {});
};

// A file record body, record type included (248 bytes).
inline Bytes hfsPlusFileBody(int64_t fileID, const HFSPlusFileFields& fields = {}) {
    ByteBuilder body;
    body.u16(2).u16(0).u32(0).u32(fileID);
    body.u32(fields.created).u32(fields.modified).u32(fields.modified).u32(fields.modified).u32(0);
    body.zeros(16);  // BSD information
    body.text(std::string_view(fields.type.data(), 4)).text(std::string_view(fields.creator.data(), 4));
    body.u16(fields.finderFlags).u32(0).u16(0);
    body.zeros(16);  // extended Finder information
    body.u32(0).u32(0);
    body.bytes(fields.dataFork).bytes(fields.resourceFork);
    return body;
}

// A thread record body: 3 for a folder, 4 for a file.
inline Bytes hfsPlusThreadBody(int64_t recordType, int64_t parentID, std::u16string_view name) {
    return ByteBuilder().u16(recordType).u16(0).u32(parentID).utf16Name(name);
}

// An extents overflow leaf record (76 bytes): the key (length field 10,
// fork type, pad, file ID, start block) and eight extents.
inline Bytes hfsPlusExtentsRecord(int64_t forkType, int64_t fileID, int64_t startBlock,
                                  const std::vector<std::pair<int64_t, int64_t>>& extents) {
    ByteBuilder record;
    record.u16(10).u8(forkType).u8(0).u32(fileID).u32(startBlock);
    for (size_t slot = 0; slot < 8; ++slot) {
        const auto extent = slot < extents.size() ? extents[slot] : std::pair<int64_t, int64_t>{0, 0};
        record.u32(extent.first).u32(extent.second);
    }
    return record;
}

}  // namespace zorv::testing
