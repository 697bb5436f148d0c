#pragma once

// Fixtures of the HFS+ record tests: the real HFS+ volumes of the shared
// corpus, a way to reach one catalog leaf node of them without the B-tree
// reader, and a writer of big-endian fixture bytes.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Errors.hpp"
#include "data_access/ImageBytes.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::testing::hfsplus {

// Big-endian fields one after another, so that a fixture reads like the
// record layout it stands for.
class Fields {
public:
    Fields& u8(int64_t value) { return put(value, 1); }
    Fields& u16(int64_t value) { return put(value, 2); }
    Fields& u32(int64_t value) { return put(value, 4); }
    Fields& u64(uint64_t value) {
        for (int i = 7; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    Fields& raw(ByteView bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Fields& raw(const Fields& other) { return raw(ByteView(other.bytes_)); }
    Fields& ascii(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    // A counted UTF-16 name: u16 count, then the code units.
    Fields& name(const std::u16string& units) {
        u16(static_cast<int64_t>(units.size()));
        for (const char16_t unit : units) u16(unit);
        return *this;
    }
    Fields& zeros(size_t count) {
        bytes_.insert(bytes_.end(), count, 0);
        return *this;
    }

    size_t size() const { return bytes_.size(); }
    operator Bytes() const { return bytes_; }  // NOLINT(google-explicit-constructor)
    ImageBytes image() const { return ImageBytes(bytes_); }

private:
    Fields& put(int64_t value, int width) {
        for (int i = width - 1; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
        return *this;
    }

    Bytes bytes_;
};

inline std::filesystem::path corpusPath(const std::string& name) {
    return std::filesystem::path(ZORV_CORPUS_DIR) / "hfsplus" / name;
}

// A bare corpus volume, or nothing when the corpus is absent.
inline std::optional<ImageBytes> corpusVolume(const std::string& name) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(corpusPath(name), error)) return std::nullopt;
    return fs::readWholeFile(corpusPath(name).string());
}

// A corpus volume stored xz-compressed, unpacked with `xz -dc` into a
// temporary folder; nothing when the file or xz is missing.
inline std::optional<ImageBytes> unpackedCorpusVolume(const std::string& name) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(corpusPath(name), error)) return std::nullopt;
    const TemporaryDirectory folder;
    const std::string unpacked = folder.file("volume.img");
    const std::string command = "xz -dc '" + corpusPath(name).string() + "' > '" + unpacked + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    // Read whole into memory: the folder goes away with this function.
    const ImageBytes mapped = fs::readWholeFile(unpacked);
    return ImageBytes(mapped.toBytes());
}

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

}  // namespace zorv::testing::hfsplus
