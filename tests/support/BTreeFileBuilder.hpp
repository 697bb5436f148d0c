#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// Assembles the bytes of a B-tree file for tests: a header node (node 0)
// followed by nodes built from their records. Fields are plain members so
// that a test can set damaged values on purpose.
struct BTreeFileBuilder {
    static constexpr int8_t leafKind = -1;
    static constexpr int8_t indexKind = 0;

    int64_t nodeSize = 512;
    int64_t firstLeafNode = 0;
    int64_t lastLeafNode = 0;
    int64_t treeDepth = 1;
    int64_t rootNode = 0;
    int64_t maxKeyLength = 37;
    uint32_t attributes = 0;
    std::vector<Bytes> nodes;  // nodes[0] stands for the header node and is rebuilt by build()

    BTreeFileBuilder() : nodes(1) {}

    // A node of `size` bytes: the descriptor, the records packed from byte
    // 14, the start offset of each record and then the free-space offset in a
    // table that grows backwards from the node's end.
    static Bytes node(int64_t size, int8_t kind, int64_t fLink, const std::vector<Bytes>& records, int64_t bLink = 0);

    // A record of a tree whose key length fields are one byte (HFS) or two
    // (`longKey`, HFS+): the key length, the key, a zero pad byte when the
    // key would leave the data at an odd offset, then the data.
    static Bytes keyedRecord(const Bytes& key, const Bytes& data, bool longKey = false);

    // Appends a node and returns its number.
    int64_t addNode(Bytes nodeBytes);
    int64_t addLeaf(const std::vector<Bytes>& records, int64_t fLink = 0);
    // Appends leaves linked in list order, starting the leaf chain at the
    // first; returns their node numbers.
    std::vector<int64_t> addLeafChain(const std::vector<std::vector<Bytes>>& leaves);

    // Sets the 16-bit offset table entry `slot` (0 = first record) of a node.
    void setOffset(int64_t nodeNumber, int64_t slot, int64_t value);

    // The header node followed by the other nodes.
    Bytes build() const;
};

}  // namespace zorv::testing
