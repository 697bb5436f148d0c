#include "support/HFSPlusVolumeBuilder.hpp"

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/HFSPlusCatalogRecordBytes.hpp"

namespace zorv::testing {

namespace {

using Extents = std::vector<std::pair<int64_t, int64_t>>;  // (start, count)

constexpr int64_t catalogFileID = 4;
constexpr size_t extentsPerRecord = 8;

int64_t blocksFor(int64_t bytes, int64_t blockSize) { return (bytes + blockSize - 1) / blockSize; }

// Hands out allocation blocks from the first free one upwards.
class Allocator {
public:
    explicit Allocator(int64_t firstFree) : next_(firstFree) {}

    // `blocks` blocks in `runs` runs as even as possible; when there are
    // several, each is followed by an unused block so that none touch.
    Extents allocate(int64_t blocks, int64_t runs) {
        Extents extents;
        if (blocks <= 0) return extents;
        runs = std::clamp<int64_t>(runs, 1, blocks);
        for (int64_t run = 0; run < runs; ++run) {
            const int64_t count = blocks / runs + (run < blocks % runs ? 1 : 0);
            extents.emplace_back(next_, count);
            next_ += count + (runs > 1 ? 1 : 0);
        }
        return extents;
    }

    int64_t next() const { return next_; }

private:
    int64_t next_;
};

int64_t blockCount(const Extents& extents) {
    int64_t total = 0;
    for (const auto& extent : extents) total += extent.second;
    return total;
}

// The records that continue a fork past its eighth extent, eight extents
// each, keyed by the fork's blocks before them.
void addOverflowRecords(std::vector<HFSPlusVolumeBuilder::OverflowRecord>& records, int64_t forkType, int64_t fileID,
                        const Extents& extents) {
    int64_t covered = 0;
    for (size_t first = 0; first < extents.size(); first += extentsPerRecord) {
        const size_t end = std::min(extents.size(), first + extentsPerRecord);
        if (first > 0) {
            records.push_back({forkType, fileID, covered,
                               Extents(extents.begin() + static_cast<std::ptrdiff_t>(first),
                                       extents.begin() + static_cast<std::ptrdiff_t>(end))});
        }
        for (size_t index = first; index < end; ++index) covered += extents[index].second;
    }
}

// A B-tree file whose leaf records are packed into as few nodes as they fit
// in, chained in order; just the header node when there are none.
Bytes bTreeFile(int64_t nodeSize, int64_t maxKeyLength, uint32_t attributes, const std::vector<Bytes>& records) {
    BTreeFileBuilder tree;
    tree.nodeSize = nodeSize;
    tree.maxKeyLength = maxKeyLength;
    tree.attributes = attributes;
    std::vector<std::vector<Bytes>> leaves;
    int64_t used = 0;
    for (const auto& record : records) {
        const auto size = static_cast<int64_t>(record.size());
        // Descriptor, records and one offset per record plus the free-space one.
        const bool fits = !leaves.empty() &&
                          14 + used + size + 2 * (static_cast<int64_t>(leaves.back().size()) + 2) <= nodeSize;
        if (!fits) {
            leaves.emplace_back();
            used = 0;
        }
        leaves.back().push_back(record);
        used += size;
    }
    const auto numbers = tree.addLeafChain(leaves);
    if (!numbers.empty()) tree.rootNode = numbers.front();
    return tree.build();
}

}  // namespace

Bytes HFSPlusVolumeBuilder::build() const {
    const int64_t B = blockSize;
    if (B < 512 || catalogNodeSize < 512) throw std::invalid_argument("block and node sizes start at 512");
    // Boot blocks and the volume header come first.
    Allocator allocator(blocksFor(1536, B));

    // File forks first: the catalog's file records hold their extents.
    struct PlacedFile {
        const File* file;
        Extents data;
        Extents resource;
    };
    std::vector<PlacedFile> placed;
    const auto place = [&](const Fork& fork) {
        const int64_t blocks = blocksFor(static_cast<int64_t>(fork.contents.size()), B) + fork.spareBlocks;
        return allocator.allocate(fork.extentCount == 0 ? 0 : blocks, fork.extentCount);
    };
    for (const auto& file : files) {
        Extents data = place(file.dataFork);
        Extents resource = place(file.resourceFork);
        placed.push_back({&file, std::move(data), std::move(resource)});
    }

    // The catalog, its records in key order (by parent, then by name; the
    // reader relies on neither).
    std::vector<std::tuple<int64_t, std::u16string, Bytes>> catalogRecords;
    const auto addRecord = [&](int64_t parentID, const std::u16string& name, const Bytes& body) {
        catalogRecords.emplace_back(parentID, name, hfsPlusCatalogRecord(parentID, name, body));
    };
    const auto valenceOf = [&](int64_t folderID) {
        int64_t valence = 0;
        for (const auto& folder : folders) valence += folder.parentID == folderID ? 1 : 0;
        for (const auto& file : files) valence += file.parentID == folderID ? 1 : 0;
        return valence;
    };
    addRecord(1, volumeName,
              hfsPlusFolderBody(rootFolderID, valenceOf(rootFolderID), rootFlags, rootCreateDate, rootModifyDate));
    addRecord(rootFolderID, u"", hfsPlusThreadBody(3, 1, volumeName));
    for (const auto& folder : folders) {
        addRecord(folder.parentID, folder.name,
                  hfsPlusFolderBody(folder.folderID, valenceOf(folder.folderID), folder.flags, folder.createDate,
                                    folder.modifyDate, folder.finderFlags));
        addRecord(folder.folderID, u"", hfsPlusThreadBody(3, folder.parentID, folder.name));
    }
    const auto forkBytes = [&](const Fork& fork, const Extents& extents) {
        const int64_t logical =
            fork.logicalSizeOverride >= 0 ? fork.logicalSizeOverride : static_cast<int64_t>(fork.contents.size());
        return hfsPlusForkRecord(logical, blockCount(extents) + fork.claimedExtraBlocks, extents);
    };
    for (const auto& item : placed) {
        const File& file = *item.file;
        HFSPlusFileFields fields;
        fields.type = file.type;
        fields.creator = file.creator;
        fields.finderFlags = file.finderFlags;
        fields.created = file.createDate;
        fields.modified = file.modifyDate;
        fields.dataFork = forkBytes(file.dataFork, item.data);
        fields.resourceFork = forkBytes(file.resourceFork, item.resource);
        addRecord(file.parentID, file.name, hfsPlusFileBody(file.fileID, fields));
        addRecord(file.fileID, u"", hfsPlusThreadBody(4, file.parentID, file.name));
    }
    std::stable_sort(catalogRecords.begin(), catalogRecords.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::vector<Bytes> catalogLeaves;
    for (const auto& record : catalogRecords) catalogLeaves.push_back(std::get<2>(record));
    Bytes catalog = bTreeFile(catalogNodeSize, 516, 6, catalogLeaves);  // big and variable-length index keys
    const int64_t catalogBlocks = std::max(blocksFor(static_cast<int64_t>(catalog.size()), B), catalogMinimumBlocks);
    catalog.resize(static_cast<size_t>(catalogBlocks * B), 0);
    const Extents catalogExtents = allocator.allocate(catalogBlocks, catalogExtentCount);

    // The extents overflow file.
    std::vector<OverflowRecord> overflow;
    if (!omitOverflowRecords) {
        addOverflowRecords(overflow, 0x00, catalogFileID, catalogExtents);
        for (const auto& item : placed) {
            addOverflowRecords(overflow, 0x00, item.file->fileID, item.data);
            addOverflowRecords(overflow, 0xFF, item.file->fileID, item.resource);
        }
    }
    overflow.insert(overflow.end(), extraOverflowRecords.begin(), extraOverflowRecords.end());
    std::stable_sort(overflow.begin(), overflow.end(), [](const OverflowRecord& a, const OverflowRecord& b) {
        return std::tie(a.fileID, a.forkType, a.startBlock) < std::tie(b.fileID, b.forkType, b.startBlock);
    });
    std::vector<Bytes> overflowLeaves;
    for (const auto& record : overflow) {
        overflowLeaves.push_back(
            hfsPlusExtentsRecord(record.forkType, record.fileID, record.startBlock, record.extents));
    }
    Bytes extentsFile = bTreeFile(catalogNodeSize, 10, 2, overflowLeaves);  // big, fixed-length keys
    const int64_t extentsBlocks = blocksFor(static_cast<int64_t>(extentsFile.size()), B);
    extentsFile.resize(static_cast<size_t>(extentsBlocks * B), 0);
    const Extents extentsExtents = allocator.allocate(extentsBlocks, 1);

    // The image: everything allocated, then room for the alternate header.
    const int64_t tail = blocksFor(1024, B);
    const int64_t volumeBlocks = std::max(totalBlocks, allocator.next() + tail);
    Bytes image(static_cast<size_t>(volumeBlocks * B), 0);
    const auto write = [&](const Bytes& bytes, const Extents& extents) {
        size_t from = 0;
        for (const auto& [start, count] : extents) {
            const size_t length = std::min(bytes.size() - std::min(bytes.size(), from), static_cast<size_t>(count * B));
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), length,
                        image.begin() + static_cast<std::ptrdiff_t>(start * B));
            from += length;
        }
    };
    for (const auto& item : placed) {
        write(item.file->dataFork.contents, item.data);
        write(item.file->resourceFork.contents, item.resource);
    }
    write(catalog, catalogExtents);
    write(extentsFile, extentsExtents);

    const int64_t used = allocator.next();
    ByteBuilder header;
    header.u8(signature[0]).u8(signature[1]).u16(4).u32(0x100).text("10.0").u32(0);
    header.u32(createDate).u32(modifyDate).u32(0).u32(modifyDate);  // created, modified, backed up, checked
    header.u32(fileCount >= 0 ? fileCount : static_cast<int64_t>(files.size()));
    header.u32(folderCount >= 0 ? folderCount : static_cast<int64_t>(folders.size()));
    header.u32(headerBlockSizeOverride >= 0 ? headerBlockSizeOverride : B).u32(volumeBlocks);
    header.u32(freeBlocks >= 0 ? freeBlocks : volumeBlocks - used - tail);
    header.u32(used).u32(B).u32(B).u32(1000).u32(1).u64(1);  // next allocation, clumps, next ID, writes, encodings
    header.u32(blessedFolderID).zeros(28);                   // Finder information
    header.bytes(hfsPlusForkRecord(0, 0, {}));               // allocation file: not read
    header.bytes(hfsPlusForkRecord(static_cast<int64_t>(extentsFile.size()),
                                   extentsBlocks + extentsFileClaimedExtraBlocks, extentsExtents));
    header.bytes(hfsPlusForkRecord(static_cast<int64_t>(catalog.size()), catalogBlocks, catalogExtents));
    header.bytes(hfsPlusForkRecord(0, 0, {})).bytes(hfsPlusForkRecord(0, 0, {}));  // attributes, startup
    const Bytes headerBytes = header;
    std::copy(headerBytes.begin(), headerBytes.end(), image.begin() + 1024);
    std::copy(headerBytes.begin(), headerBytes.end(), image.end() - 1024);
    return image;
}

}  // namespace zorv::testing
