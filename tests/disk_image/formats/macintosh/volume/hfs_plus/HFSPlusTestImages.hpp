#pragma once

// Fixtures of the HFS+ tests: a way to reach one catalog leaf node of a real
// volume without the B-tree reader, a sorter of how decoding untrusted bytes
// ended, and a reader of every part of a damaged volume. Fixture bytes come from support/ByteBuilder.hpp,
// corpus volumes from support/Corpus.hpp, whole volumes from
// support/HFSPlusVolumeBuilder.hpp.

#include <gtest/gtest.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"

namespace zorv::testing::hfsplus {

// One record of a B-tree node, split as the B-tree reader splits a leaf
// record: the u16 key length with the key, then every byte after the key.
struct RawLeafRecord {
    ImageBytes keyBytes;
    ImageBytes body;
    ImageBytes whole;
};

inline int64_t bigEndian(const ImageBytes& bytes, int64_t offset, int width) {
    int64_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | bytes[static_cast<size_t>(offset + i)];
    return value;
}

// The records of one B-tree node, by its offset table at the node's end.
inline std::vector<RawLeafRecord> nodeRecords(const ImageBytes& node) {
    const auto nodeSize = static_cast<int64_t>(node.size());
    const int64_t count = bigEndian(node, 10, 2);
    std::vector<RawLeafRecord> records;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t start = bigEndian(node, nodeSize - 2 * (i + 1), 2);
        const int64_t end = bigEndian(node, nodeSize - 2 * (i + 2), 2);
        const ImageBytes whole = node.slice(start, end - start);
        const int64_t keyLength = bigEndian(whole, 0, 2);
        records.push_back({whole.slice(0, 2 + keyLength), whole.sliceFrom(2 + keyLength), whole});
    }
    return records;
}

// The first leaf node of a catalog whose bytes start at `catalog`: the node
// size and the first leaf node come from the header node's header record.
inline ImageBytes firstLeafNode(const ImageBytes& catalog) {
    const int64_t firstLeaf = bigEndian(catalog, 14 + 10, 4);
    const int64_t nodeSize = bigEndian(catalog, 14 + 18, 2);
    return catalog.slice(firstLeaf * nodeSize, nodeSize);
}

// How decoding untrusted bytes ended: read, or refused with one of the
// project's own errors. Anything else thrown is a fault of the decoder.
enum class Outcome { read, refused, foreignError };

template <typename Decode>
Outcome outcomeOf(Decode decode) {
    try {
        decode();
        return Outcome::read;
    } catch (const EnumeratedError&) {
        return Outcome::refused;
    } catch (const ReadPastEndError&) {
        return Outcome::refused;
    } catch (const ValueOutOfRangeError&) {
        return Outcome::refused;
    } catch (const ArithmeticOverflowError&) {
        return Outcome::refused;
    } catch (...) {
        return Outcome::foreignError;
    }
}

// Opens the bytes as an HFS+ volume and, when they open, walks every item
// and reads every fork; answers whether they opened. Refusals with the
// project's own errors are expected; anything else thrown fails the test (a
// crash or a hang shows by itself).
inline bool readEverything(const ImageBytes& bytes, const std::string& what) {
    try {
        const auto volume = HFSPlusVolume::fromImageData(bytes);
        if (!volume) return false;
        (void)volume->volumeName();
        (void)volume->totalCapacityInBytes();
        for (const auto& element : volume->fileHierarchy()) {
            (void)volume->tree(element.item);
            (void)volume->parentItem(element.item);
            (void)element.item->logicalSizeInBytes();
            (void)element.item->physicalSizeInBytes();
            (void)element.item->kind();
            for (const ForkType fork : {ForkType::data, ForkType::resource}) {
                try {
                    (void)volume->getFork(fork, element.item);
                } catch (const EnumeratedError&) {
                } catch (const ReadPastEndError&) {
                } catch (const ArithmeticOverflowError&) {
                }
            }
        }
        return true;
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << ": " << error.what();
    }
    return false;
}

// A big-endian u32 written over the bytes at `at`.
inline void putU32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

}  // namespace zorv::testing::hfsplus
