#include "support/SyntheticHfsVolume.hpp"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <tuple>

#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv::testing {

namespace {

constexpr int64_t kBlock = 512;
constexpr int64_t kFirstAllocationSector = 4;
constexpr int64_t kUnixTo1904 = 2082844800;

struct Extent {
    int64_t start;
    int64_t count;
};

// Blocks of `length` bytes, placed from `cursor` on: one extent, or one
// block per extent with a free block after each when scattered.
std::vector<Extent> place(int64_t length, bool scattered, int64_t& cursor) {
    const int64_t blocks = (length + kBlock - 1) / kBlock;
    std::vector<Extent> extents;
    if (blocks == 0) return extents;
    if (!scattered) {
        extents.push_back({cursor, blocks});
        cursor += blocks;
        return extents;
    }
    for (int64_t i = 0; i < blocks; ++i) {
        extents.push_back({cursor, 1});
        cursor += 2;
    }
    return extents;
}

Bytes extentRecord(const std::vector<Extent>& extents, size_t from) {
    ByteBuilder record;
    for (size_t i = from; i < from + 3; ++i) {
        if (i < extents.size()) {
            record.u16(extents[i].start).u16(extents[i].count);
        } else {
            record.u16(0).u16(0);
        }
    }
    return record;
}

int64_t overflowRecords(int64_t extentCount) { return extentCount <= 3 ? 0 : (extentCount - 3 + 2) / 3; }

int64_t blockCount(const std::vector<Extent>& extents) {
    int64_t total = 0;
    for (const auto& extent : extents) total += extent.count;
    return total;
}

// Leaf records packed into as few 512-byte nodes as they fit.
std::vector<std::vector<Bytes>> packLeaves(const std::vector<Bytes>& records) {
    std::vector<std::vector<Bytes>> leaves;
    int64_t used = 0;
    for (const auto& record : records) {
        const auto size = static_cast<int64_t>(record.size());
        if (leaves.empty() || 14 + used + size + 2 * (static_cast<int64_t>(leaves.back().size()) + 2) > kBlock) {
            leaves.emplace_back();
            used = 0;
        }
        leaves.back().push_back(record);
        used += size;
    }
    return leaves;
}

std::string upper(const std::string& text) {
    std::string result = text;
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

Bytes catalogKey(int64_t parentID, const std::string& name) { return ByteBuilder().u8(0).u32(parentID).pascal(name); }

Bytes folderRecord(int64_t folderID, int64_t valence, int64_t dirFlags, int64_t frFlags, int64_t created,
                   int64_t modified) {
    ByteBuilder data;
    data.u8(1).u8(0).u16(dirFlags).u16(valence).u32(folderID);
    data.u32(created).u32(modified).u32(0);
    data.u16(40).u16(50).u16(240).u16(400).u16(frFlags).u16(5).u16(6).u16(0);
    data.zeros(16).zeros(16);
    return data;
}

Bytes threadRecord(int64_t parentID, const std::string& name) {
    return ByteBuilder().u8(3).u8(0).zeros(8).u32(parentID).pascal(name, 32);
}

}  // namespace

Bytes SyntheticHfsVolume::build(Layout* layoutOut) const {
    struct Keyed {
        int64_t parentID;
        std::string name;
        Bytes data;
    };
    struct PlacedFile {
        std::vector<Extent> data;
        std::vector<Extent> resource;
    };

    // Catalog records whose size does not depend on where things go: file
    // records are 102 bytes wherever their forks lie.
    const auto valence = [this](int64_t folderID) {
        int64_t count = 0;
        for (const auto& folder : folders) count += folder.parentID == folderID;
        for (const auto& file : files) count += file.parentID == folderID;
        return count;
    };
    const auto recordCount = 2 + 2 * folders.size() + files.size();
    std::vector<Bytes> sizing(recordCount, BTreeFileBuilder::keyedRecord(catalogKey(2, volumeName), Bytes(102, 0)));
    {
        size_t i = 0;
        sizing[i++] = BTreeFileBuilder::keyedRecord(catalogKey(1, volumeName), Bytes(70, 0));
        sizing[i++] = BTreeFileBuilder::keyedRecord(catalogKey(2, ""), Bytes(46, 0));
        for (const auto& folder : folders) {
            sizing[i++] = BTreeFileBuilder::keyedRecord(catalogKey(folder.parentID, folder.name), Bytes(70, 0));
            sizing[i++] = BTreeFileBuilder::keyedRecord(catalogKey(folder.folderID, ""), Bytes(46, 0));
        }
        for (const auto& file : files) {
            sizing[i++] = BTreeFileBuilder::keyedRecord(catalogKey(file.parentID, file.name), Bytes(102, 0));
        }
    }
    // Upper bound on the leaves: records sorted differently pack alike
    // closely enough when each leaf is given room for the largest record.
    const int64_t catalogNodes = 1 + static_cast<int64_t>(packLeaves(sizing).size()) + 1;

    int64_t extentRecordCount = 0;
    if (scatteredCatalog) extentRecordCount += overflowRecords(catalogNodes);
    for (const auto& file : files) {
        if (!file.scattered) continue;
        extentRecordCount += overflowRecords((static_cast<int64_t>(file.dataFork.size()) + kBlock - 1) / kBlock);
        extentRecordCount += overflowRecords((static_cast<int64_t>(file.resourceFork.size()) + kBlock - 1) / kBlock);
    }
    const int64_t extentsNodes = 1 + std::max<int64_t>(1, (extentRecordCount + 19) / 20);

    Layout layout;
    layout.extentsFileStart = 0;
    layout.extentsFileBlocks = extentsNodes;
    int64_t cursor = extentsNodes;
    const std::vector<Extent> catalogExtents = place(catalogNodes * kBlock, scatteredCatalog, cursor);
    layout.catalogFileBlocks = catalogNodes;
    for (const auto& extent : catalogExtents) {
        for (int64_t b = 0; b < extent.count; ++b) layout.catalogBlocks.push_back(extent.start + b);
    }
    std::vector<PlacedFile> placed;
    for (const auto& file : files) {
        PlacedFile forks;
        forks.data = place(static_cast<int64_t>(file.dataFork.size()), file.scattered, cursor);
        forks.resource = place(static_cast<int64_t>(file.resourceFork.size()), file.scattered, cursor);
        placed.push_back(forks);
    }
    layout.usedBlocks = cursor;
    layout.allocationBlocks = cursor + freeBlocks;
    if (layout.allocationBlocks > 8 * kBlock) throw std::length_error("the bitmap is one sector");

    // The catalog.
    std::vector<Keyed> records;
    records.push_back({1, volumeName, folderRecord(2, valence(2), 0, 0, 0xA0000000, 0xA0000001)});
    records.push_back({2, "", threadRecord(1, volumeName)});
    for (const auto& folder : folders) {
        records.push_back({folder.parentID, folder.name,
                           folderRecord(folder.folderID, valence(folder.folderID), folder.dirFlags, folder.frFlags,
                                        folder.created, folder.modified)});
        records.push_back({folder.folderID, "", threadRecord(folder.parentID, folder.name)});
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const File& file = files[i];
        const PlacedFile& forks = placed[i];
        ByteBuilder data;
        data.u8(2).u8(0).u8(0).u8(0);
        data.text(file.type).text(file.creator).u16(file.fdFlags).u16(10).u16(20).u16(0);
        data.u32(file.fileID);
        data.u16(forks.data.empty() ? 0 : forks.data.front().start)
            .u32(static_cast<int64_t>(file.dataFork.size()))
            .u32(blockCount(forks.data) * kBlock);
        data.u16(forks.resource.empty() ? 0 : forks.resource.front().start)
            .u32(static_cast<int64_t>(file.resourceFork.size()))
            .u32(blockCount(forks.resource) * kBlock);
        data.u32(file.created).u32(file.modified).u32(0);
        data.zeros(16).u16(0);
        data.bytes(extentRecord(forks.data, 0)).bytes(extentRecord(forks.resource, 0));
        data.u32(0);
        records.push_back({file.parentID, file.name, data});
    }
    std::stable_sort(records.begin(), records.end(), [](const Keyed& a, const Keyed& b) {
        return std::make_tuple(a.parentID, upper(a.name)) < std::make_tuple(b.parentID, upper(b.name));
    });
    std::vector<Bytes> catalogRecords;
    for (const auto& record : records) {
        catalogRecords.push_back(BTreeFileBuilder::keyedRecord(catalogKey(record.parentID, record.name), record.data));
    }
    BTreeFileBuilder catalog;
    catalog.addLeafChain(packLeaves(catalogRecords));
    Bytes catalogBytes = catalog.build();
    if (static_cast<int64_t>(catalogBytes.size()) > catalogNodes * kBlock) throw std::length_error("catalog");
    catalogBytes.resize(static_cast<size_t>(catalogNodes * kBlock), 0);

    // The extents overflow file, in key order: fork type, file number, start.
    struct Overflow {
        int64_t forkType;
        int64_t fileNumber;
        int64_t startBlock;
        Bytes extents;
    };
    std::vector<Overflow> overflow;
    const auto addOverflow = [&overflow](int64_t forkType, int64_t fileNumber, const std::vector<Extent>& extents) {
        int64_t startBlock = 0;
        for (size_t i = 0; i < extents.size(); ++i) {
            if (i >= 3 && (i - 3) % 3 == 0)
                overflow.push_back({forkType, fileNumber, startBlock, extentRecord(extents, i)});
            startBlock += extents[i].count;
        }
    };
    if (scatteredCatalog) addOverflow(0x00, 4, catalogExtents);
    for (size_t i = 0; i < files.size(); ++i) {
        addOverflow(0x00, files[i].fileID, placed[i].data);
        addOverflow(0xFF, files[i].fileID, placed[i].resource);
    }
    std::sort(overflow.begin(), overflow.end(), [](const Overflow& a, const Overflow& b) {
        return std::tie(a.forkType, a.fileNumber, a.startBlock) < std::tie(b.forkType, b.fileNumber, b.startBlock);
    });
    std::vector<Bytes> extentsRecords;
    for (const auto& record : overflow) {
        extentsRecords.push_back(ByteBuilder()
                                     .u8(7)
                                     .u8(record.forkType)
                                     .u32(record.fileNumber)
                                     .u16(record.startBlock)
                                     .bytes(record.extents));
    }
    BTreeFileBuilder extentsTree;
    extentsTree.maxKeyLength = 7;
    if (!extentsRecords.empty()) extentsTree.addLeafChain(packLeaves(extentsRecords));
    Bytes extentsBytes = extentsTree.build();
    if (static_cast<int64_t>(extentsBytes.size()) > extentsNodes * kBlock) throw std::length_error("extents");
    extentsBytes.resize(static_cast<size_t>(extentsNodes * kBlock), 0);

    // The volume.
    const int64_t sectors = kFirstAllocationSector + layout.allocationBlocks + 2;
    Bytes image(static_cast<size_t>(sectors * kBlock), 0);
    const auto write = [&image](int64_t allocationBlock, const Bytes& bytes, size_t from, size_t length) {
        const auto at = static_cast<size_t>((kFirstAllocationSector + allocationBlock) * kBlock);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), length,
                    image.begin() + static_cast<std::ptrdiff_t>(at));
    };
    const auto writeExtents = [&write](const std::vector<Extent>& extents, const Bytes& bytes) {
        size_t from = 0;
        for (const auto& extent : extents) {
            const size_t length = std::min(bytes.size() - from, static_cast<size_t>(extent.count * kBlock));
            write(extent.start, bytes, from, length);
            from += length;
        }
    };
    write(0, extentsBytes, 0, extentsBytes.size());
    writeExtents(catalogExtents, catalogBytes);
    for (size_t i = 0; i < files.size(); ++i) {
        writeExtents(placed[i].data, files[i].dataFork);
        writeExtents(placed[i].resource, files[i].resourceFork);
    }
    // The bitmap: every block up to the cursor, gaps of scattered files included.
    std::vector<bool> used(static_cast<size_t>(layout.allocationBlocks), false);
    for (int64_t b = 0; b < extentsNodes; ++b) used[static_cast<size_t>(b)] = true;
    const auto mark = [&used](const std::vector<Extent>& extents) {
        for (const auto& extent : extents) {
            for (int64_t b = 0; b < extent.count; ++b) used[static_cast<size_t>(extent.start + b)] = true;
        }
    };
    mark(catalogExtents);
    for (const auto& forks : placed) {
        mark(forks.data);
        mark(forks.resource);
    }
    int64_t free = 0;
    for (size_t b = 0; b < used.size(); ++b) {
        if (used[b]) {
            image[3 * kBlock + b / 8] |= static_cast<uint8_t>(0x80 >> (b % 8));
        } else {
            ++free;
        }
    }

    MasterDirectoryBlock mdb(MasterDirectoryBlock::minimumBlankVolumeBlocks, volumeName, kBlock,
                             Date{0xA0000000 - kUnixTo1904});
    mdb.drLsMod = Date{0xA0000005 - kUnixTo1904};
    mdb.drNmAlBlks = layout.allocationBlocks;
    mdb.drAlBlkSiz = kBlock;
    mdb.drClpSiz = 4 * kBlock;
    mdb.drAlBlSt = kFirstAllocationSector;
    mdb.drFreeBks = free;
    int64_t nextID = 16;
    for (const auto& folder : folders) nextID = std::max(nextID, folder.folderID + 1);
    for (const auto& file : files) nextID = std::max(nextID, file.fileID + 1);
    mdb.drNxtCNID = nextID;
    mdb.drNmFls = 0;
    mdb.drNmRtDirs = 0;
    for (const auto& folder : folders) mdb.drNmRtDirs += folder.parentID == 2;
    for (const auto& file : files) mdb.drNmFls += file.parentID == 2;
    mdb.drFilCnt = static_cast<int64_t>(files.size());
    mdb.drDirCnt = static_cast<int64_t>(folders.size());
    mdb.drXTFlSize = extentsNodes * kBlock;
    mdb.drXTClpSiz = mdb.drXTFlSize;
    mdb.drXTExtRec = {ExtDescriptor(0, extentsNodes), ExtDescriptor(), ExtDescriptor()};
    mdb.drCTFlSize = catalogNodes * kBlock;
    mdb.drCTClpSiz = mdb.drCTFlSize;
    mdb.drCTExtRec = {};
    for (size_t i = 0; i < 3 && i < catalogExtents.size(); ++i) {
        mdb.drCTExtRec[i] = ExtDescriptor(catalogExtents[i].start, catalogExtents[i].count);
    }
    const Bytes mdbBytes = mdb.dataBlock();
    std::copy(mdbBytes.begin(), mdbBytes.end(), image.begin() + 2 * kBlock);
    std::copy(mdbBytes.begin(), mdbBytes.end(), image.begin() + (sectors - 2) * kBlock);
    if (bootable) {
        image[0] = 'L';
        image[1] = 'K';
    }
    if (layoutOut != nullptr) *layoutOut = layout;
    return image;
}

}  // namespace zorv::testing
