#pragma once

#include <cstdint>
#include <string_view>

#include "data_access/Bytes.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv::testing {

// On-disk bytes of HFS catalog records for tests, laid out field by field as
// Inside Macintosh: Files gives them. Names are raw Mac OS Roman bytes.

// A catalog key without its length byte: reserved byte, parent ID, name.
inline Bytes hfsCatalogKey(int64_t parentID, std::string_view name) {
    return ByteBuilder().u8(0).u32(parentID).pascal(name);
}

// A folder record (70 bytes) with recognisable values in every field.
inline Bytes hfsFolderData(int64_t folderID, int64_t valence = 0) {
    ByteBuilder data;
    data.u8(1).u8(0).u16(0).u16(valence).u32(folderID);
    data.u32(0xA0000000).u32(0xA0000001).u32(0);                         // created, modified, backed up
    data.u16(40).u16(50).u16(240).u16(400).u16(0).u16(5).u16(6).u16(0);  // window, flags, location, view
    data.u16(0).u16(0).u32(0).u8(0).u8(0).u16(0).u32(0);                 // extended Finder information
    data.zeros(16);
    return data;
}

// A file record (102 bytes) with the given codes and fork lengths.
inline Bytes hfsFileData(int64_t fileID, std::string_view type, std::string_view creator, int64_t dataLength = 0,
                         int64_t resourceLength = 0) {
    ByteBuilder data;
    data.u8(2).u8(0).u8(0).u8(0);
    data.text(type).text(creator).u16(0x0100).u16(10).u16(20).u16(0);
    data.u32(fileID);
    data.u16(0).u32(dataLength).u32((dataLength + 511) / 512 * 512);
    data.u16(0).u32(resourceLength).u32((resourceLength + 511) / 512 * 512);
    data.u32(0xA0000000).u32(0xA0000002).u32(0);
    data.zeros(16);  // extended Finder information
    data.u16(0);     // clump size
    data.u16(dataLength > 0 ? 30 : 0).u16((dataLength + 511) / 512).zeros(8);
    data.u16(resourceLength > 0 ? 60 : 0).u16((resourceLength + 511) / 512).zeros(8);
    data.u32(0);
    return data;
}

// A folder (3) or file (4) thread record (46 bytes).
inline Bytes hfsThreadData(int64_t recordType, int64_t parentID, std::string_view name) {
    return ByteBuilder().u8(recordType).u8(0).zeros(8).u32(parentID).pascal(name, 32);
}

// A whole catalog leaf record: key length byte, key, pad byte, data.
inline Bytes hfsCatalogRecord(int64_t parentID, std::string_view name, const Bytes& data) {
    return BTreeFileBuilder::keyedRecord(hfsCatalogKey(parentID, name), data);
}

}  // namespace zorv::testing
