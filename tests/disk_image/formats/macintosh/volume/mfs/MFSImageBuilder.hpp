#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv::testing {

// One MFS directory entry as a test writes it.
struct MFSEntryFields {
    std::string name;             // raw Mac OS Roman bytes
    int64_t flags = 0x80;         // flFlags
    int64_t version = 0;          // flTyp
    std::string type = "TEXT";    // fdType, 4 bytes
    std::string creator = "ttxt";  // fdCreator, 4 bytes
    int64_t finderFlags = 0;      // fdFlags
    int64_t fileNumber = 1;
    int64_t dataLength = 0;
    int64_t dataPhysicalLength = 0;
    int64_t resourceLength = 0;
    int64_t resourcePhysicalLength = 0;
    int64_t created = 0;   // seconds since 1904
    int64_t modified = 0;  // seconds since 1904
};

// The bytes of one entry: 50 fixed bytes, the name, a pad byte to an even
// length.
inline Bytes mfsEntryBytes(const MFSEntryFields& fields) {
    ByteBuilder entry;
    entry.u8(fields.flags)
        .u8(fields.version)
        .text(fields.type)
        .text(fields.creator)
        .u16(fields.finderFlags)
        .u16(0)
        .u16(0)  // icon position
        .u16(0)  // folder
        .u32(fields.fileNumber)
        .u16(0)  // first data allocation block
        .u32(fields.dataLength)
        .u32(fields.dataPhysicalLength)
        .u16(0)  // first resource allocation block
        .u32(fields.resourceLength)
        .u32(fields.resourcePhysicalLength)
        .u32(fields.created)
        .u32(fields.modified)
        .pascal(fields.name);
    if (entry.size() % 2 != 0) entry.u8(0);
    return entry;
}

// A whole MFS volume image laid out the way Macintosh floppies are: boot
// blocks, the master directory block at byte 1024, the file directory from
// sector drDirSt. Entries are placed per directory sector, one after another
// from the sector's start; the rest of each sector stays zero.
struct MFSImageBuilder {
    int64_t imageBlocks = 800;  // a 400K floppy
    bool bootable = false;      // "LK" at byte 0
    int64_t created = 0;
    int64_t backedUp = 0;
    int64_t attributes = 0;
    std::optional<int64_t> fileCount;  // drNmFls; default: the entries placed
    int64_t directoryStart = 4;
    int64_t directoryLength = 12;
    int64_t allocationBlocks = 391;
    int64_t allocationBlockSize = 1024;
    int64_t clumpSize = 8192;
    int64_t allocationStart = 16;
    int64_t nextFileNumber = 1;
    int64_t freeBlocks = 391;
    std::string volumeName = "Untitled";
    std::map<int64_t, std::vector<Bytes>> sectors;  // directory sector index -> entries

    MFSImageBuilder& add(int64_t sector, const MFSEntryFields& fields) {
        sectors[sector].push_back(mfsEntryBytes(fields));
        return *this;
    }

    int64_t placedEntries() const {
        int64_t count = 0;
        for (const auto& [sector, entries] : sectors) count += static_cast<int64_t>(entries.size());
        return count;
    }

    Bytes masterDirectoryBlock() const {
        ByteBuilder mdb;
        mdb.u8(0xD2)
            .u8(0xD7)
            .u32(created)
            .u32(backedUp)
            .u16(attributes)
            .u16(fileCount.value_or(placedEntries()))
            .u16(directoryStart)
            .u16(directoryLength)
            .u16(allocationBlocks)
            .u32(allocationBlockSize)
            .u32(clumpSize)
            .u16(allocationStart)
            .u32(nextFileNumber)
            .u16(freeBlocks)
            .pascal(volumeName, 28);
        return mdb;
    }

    Bytes build() const {
        Bytes image(static_cast<size_t>(imageBlocks * 512), 0);
        const auto put = [&image](int64_t at, const Bytes& bytes) {
            for (size_t i = 0; i < bytes.size() && at + static_cast<int64_t>(i) < static_cast<int64_t>(image.size());
                 ++i) {
                image[static_cast<size_t>(at) + i] = bytes[i];
            }
        };
        if (bootable) put(0, Bytes{'L', 'K'});
        put(1024, masterDirectoryBlock());
        for (const auto& [sector, entries] : sectors) {
            int64_t at = (directoryStart + sector) * 512;
            for (const Bytes& entry : entries) {
                put(at, entry);
                at += static_cast<int64_t>(entry.size());
            }
        }
        return image;
    }
};

}  // namespace zorv::testing
