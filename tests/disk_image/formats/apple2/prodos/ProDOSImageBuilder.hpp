#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// The fields of a 39-byte ProDOS directory entry, as a fixture writes them.
struct ProDOSEntryFields {
    int storageType = 1;
    std::string name = "FILE";
    std::optional<int> nameLength;  // the name's length unless given
    int fileType = 0x06;
    int keyPointer = 0;
    int blocksUsed = 1;
    int64_t eof = 0;
    std::array<uint8_t, 4> created{};
    int version = 0;
    int minVersion = 0;
    int access = 0xE3;
    int auxType = 0;
    std::array<uint8_t, 4> modified{};
    int headerPointer = 2;
};

// ProDOS volumes written byte by byte for tests, in ProDOS block order: boot
// signature, a volume directory header in block 2 and the directory chain
// 2 -> 3 -> 4 -> 5, everything else zero until a test puts something there.
// Writes what it is told, sound or not.
class ProDOSImageBuilder {
public:
    static constexpr int64_t blockSize = 512;

    explicit ProDOSImageBuilder(int64_t blocks = 280, const std::string& volumeName = "TEST")
        : image(static_cast<size_t>(blocks * blockSize), 0) {
        const std::array<uint8_t, 4> signature{0x01, 0x38, 0xB0, 0x03};
        std::copy(signature.begin(), signature.end(), image.begin());
        const std::array<std::array<int, 3>, 4> chain{{{2, 0, 3}, {3, 2, 4}, {4, 3, 5}, {5, 4, 0}}};
        for (const auto& [block, previous, next] : chain) {
            if (block < blocks) setPointers(block, previous, next < blocks ? next : 0);
        }
        uint8_t* header = at(2, 4);
        header[0] = static_cast<uint8_t>(0xF0 | volumeName.size());
        std::copy(volumeName.begin(), volumeName.end(), header + 1);
        header[30] = 0xC3;
        header[31] = 0x27;  // entry length
        header[32] = 0x0D;  // entries per block
        put16(header + 35, 6);
        put16(header + 37, static_cast<int>(blocks));
    }

    Bytes image;

    uint8_t* at(int64_t block, int64_t offset) { return image.data() + block * blockSize + offset; }
    // The byte at an offset of the volume directory header (offset 0 is its
    // storage type and name length).
    uint8_t& headerByte(int64_t offset) { return *at(2, 4 + offset); }

    void setPointers(int64_t block, int previous, int next) {
        put16(at(block, 0), previous);
        put16(at(block, 2), next);
    }

    // The entry at `slot` (0 to 12) of a directory block; slot 0 of a
    // directory's key block is its header.
    void putEntry(int64_t block, int64_t slot, const ProDOSEntryFields& fields) {
        uint8_t* entry = at(block, 4 + slot * 39);
        std::fill(entry, entry + 39, 0);
        const int length = fields.nameLength.value_or(static_cast<int>(fields.name.size()));
        entry[0] = static_cast<uint8_t>(fields.storageType << 4 | (length & 0x0F));
        std::copy(fields.name.begin(), fields.name.end(), entry + 1);
        entry[16] = static_cast<uint8_t>(fields.fileType);
        put16(entry + 17, fields.keyPointer);
        put16(entry + 19, fields.blocksUsed);
        put16(entry + 21, static_cast<int>(fields.eof & 0xFFFF));
        entry[23] = static_cast<uint8_t>(fields.eof >> 16);
        std::copy(fields.created.begin(), fields.created.end(), entry + 24);
        entry[28] = static_cast<uint8_t>(fields.version);
        entry[29] = static_cast<uint8_t>(fields.minVersion);
        entry[30] = static_cast<uint8_t>(fields.access);
        put16(entry + 31, fields.auxType);
        std::copy(fields.modified.begin(), fields.modified.end(), entry + 33);
        put16(entry + 37, fields.headerPointer);
    }

    // The key block of a subdirectory: no chain, its header in slot 0.
    void putSubdirectoryKeyBlock(int64_t block, const std::string& name, int parentPointer, int parentEntry) {
        setPointers(block, 0, 0);
        uint8_t* header = at(block, 4);
        std::fill(header, header + 39, 0);
        header[0] = static_cast<uint8_t>(0xE0 | name.size());
        std::copy(name.begin(), name.end(), header + 1);
        header[16] = 0x75;
        header[31] = 0x27;
        header[32] = 0x0D;
        put16(header + 35, parentPointer);
        header[37] = static_cast<uint8_t>(parentEntry);
        header[38] = 0x27;
    }

    // An index block: the low bytes of the numbers in its first half, the
    // high bytes in its second.
    void putIndex(int64_t block, const std::vector<int>& numbers) {
        for (size_t i = 0; i < numbers.size(); ++i) {
            *at(block, static_cast<int64_t>(i)) = static_cast<uint8_t>(numbers[i] & 0xFF);
            *at(block, static_cast<int64_t>(i) + 256) = static_cast<uint8_t>(numbers[i] >> 8);
        }
    }

    void fillBlock(int64_t block, uint8_t value) { std::fill(at(block, 0), at(block, blockSize), value); }

    // The same volume as a DOS-ordered (.do) image: the two halves of block
    // n in two DOS 3.3 logical sectors of track n / 8, as the Apple II maps
    // them. The image must hold whole tracks.
    Bytes dosOrdered() const { return toDOSOrder(image); }

    static Bytes toDOSOrder(const Bytes& proDOSOrdered) {
        // By position of a block in its track, the logical sectors of its halves.
        constexpr std::array<std::array<int, 2>, 8> halves{
                {{0, 14}, {13, 12}, {11, 10}, {9, 8}, {7, 6}, {5, 4}, {3, 2}, {1, 15}}};
        Bytes dos(proDOSOrdered.size(), 0);
        const size_t blocks = proDOSOrdered.size() / blockSize;
        for (size_t block = 0; block < blocks; ++block) {
            const size_t track = block / 8;
            for (size_t half = 0; half < 2; ++half) {
                const auto source = proDOSOrdered.begin() + static_cast<std::ptrdiff_t>(block * 512 + half * 256);
                const size_t sector = static_cast<size_t>(halves[block % 8][half]);
                std::copy(source, source + 256, dos.begin() + static_cast<std::ptrdiff_t>(track * 4096 + sector * 256));
            }
        }
        return dos;
    }

    static void put16(uint8_t* where, int value) {
        where[0] = static_cast<uint8_t>(value & 0xFF);
        where[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
};

}  // namespace zorv::testing
