#include "support/BTreeFileBuilder.hpp"

#include <stdexcept>

#include "support/ByteBuilder.hpp"

namespace zorv::testing {

namespace {

void putU16(Bytes& bytes, size_t at, int64_t value) {
    bytes.at(at) = static_cast<uint8_t>((value >> 8) & 0xFF);
    bytes.at(at + 1) = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

Bytes BTreeFileBuilder::node(int64_t size, int8_t kind, int64_t fLink, const std::vector<Bytes>& records,
                             int64_t bLink) {
    ByteBuilder descriptor;
    descriptor.u32(fLink)
        .u32(bLink)
        .u8(static_cast<uint8_t>(kind))
        .u8(1)
        .u16(static_cast<int64_t>(records.size()))
        .u16(0);
    Bytes bytes = descriptor;
    std::vector<int64_t> offsets;
    for (const auto& record : records) {
        offsets.push_back(static_cast<int64_t>(bytes.size()));
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    offsets.push_back(static_cast<int64_t>(bytes.size()));
    const auto tableStart = static_cast<size_t>(size) - 2 * offsets.size();
    if (bytes.size() > tableStart) throw std::length_error("records do not fit the node");
    bytes.resize(static_cast<size_t>(size), 0);
    for (size_t i = 0; i < offsets.size(); ++i) putU16(bytes, static_cast<size_t>(size) - 2 * (i + 1), offsets[i]);
    return bytes;
}

Bytes BTreeFileBuilder::keyedRecord(const Bytes& key, const Bytes& data, bool longKey) {
    ByteBuilder record;
    if (longKey) {
        record.u16(static_cast<int64_t>(key.size()));
    } else {
        record.u8(static_cast<int64_t>(key.size()));
    }
    record.bytes(key);
    if (record.size() % 2 != 0) record.u8(0);
    record.bytes(data);
    return record;
}

int64_t BTreeFileBuilder::addNode(Bytes nodeBytes) {
    nodes.push_back(std::move(nodeBytes));
    return static_cast<int64_t>(nodes.size()) - 1;
}

int64_t BTreeFileBuilder::addLeaf(const std::vector<Bytes>& records, int64_t fLink) {
    return addNode(node(nodeSize, leafKind, fLink, records));
}

std::vector<int64_t> BTreeFileBuilder::addLeafChain(const std::vector<std::vector<Bytes>>& leaves) {
    std::vector<int64_t> numbers;
    const auto first = static_cast<int64_t>(nodes.size());
    for (size_t i = 0; i < leaves.size(); ++i) {
        const int64_t next = i + 1 < leaves.size() ? first + static_cast<int64_t>(i) + 1 : 0;
        numbers.push_back(addLeaf(leaves[i], next));
    }
    if (!numbers.empty()) {
        firstLeafNode = numbers.front();
        lastLeafNode = numbers.back();
    }
    return numbers;
}

void BTreeFileBuilder::setOffset(int64_t nodeNumber, int64_t slot, int64_t value) {
    Bytes& bytes = nodes.at(static_cast<size_t>(nodeNumber));
    putU16(bytes, bytes.size() - 2 * static_cast<size_t>(slot + 1), value);
}

Bytes BTreeFileBuilder::build() const {
    // The header node: descriptor, header record, user data and map records,
    // laid out as on a 512-byte node whatever the node size.
    ByteBuilder header;
    header.u32(0).u32(0).u8(1).u8(0).u16(3).u16(0);
    header.u16(treeDepth).u32(rootNode).u32(0).u32(firstLeafNode).u32(lastLeafNode);
    header.u16(nodeSize).u16(maxKeyLength).u32(static_cast<int64_t>(nodes.size())).u32(0);
    header.u16(0).u32(0).u8(0).u8(0).u32(attributes).zeros(64);
    header.zeros(128).zeros(256);
    header.u16(504).u16(248).u16(120).u16(14);
    Bytes headerNode = header;
    if (nodeSize > 512) headerNode.resize(static_cast<size_t>(nodeSize), 0);

    Bytes file = headerNode;
    for (size_t i = 1; i < nodes.size(); ++i) file.insert(file.end(), nodes[i].begin(), nodes[i].end());
    return file;
}

}  // namespace zorv::testing
