#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceHeader.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceMap.hpp"

namespace zorv {

namespace {

// The name at `offset` in the map: a length byte and that many Mac OS Roman
// characters; empty when it runs past the map.
std::string nameAt(const ImageBytes& map, int64_t offset) {
    const int64_t mapLength = static_cast<int64_t>(map.size());
    if (offset >= mapLength) return {};
    if (offset + 1 + map[static_cast<size_t>(offset)] > mapLength) return {};
    HFSReaderBlock reader(map, offset);
    return reader.getLengthByteStringNoPadding();
}

// The contents of the resource whose length word lies at `offset` in the
// fork, or nothing when the word or the contents run past the fork.
std::optional<ImageBytes> contentsAt(const ImageBytes& fork, int64_t offset) {
    const int64_t forkLength = static_cast<int64_t>(fork.size());
    if (offset + 4 > forkLength) return std::nullopt;
    HFSReaderBlock reader(fork, offset);
    const int64_t length = reader.getLongInteger();
    if (length > reader.remainingLength()) return std::nullopt;
    return reader.getDataBlock(length);
}

}  // namespace

ResourceFork::ResourceFork(const ImageBytes& block) {
    const int64_t forkLength = static_cast<int64_t>(block.size());
    if (forkLength < ResourceHeader::size) return;
    const ResourceHeader header(block);
    // Both are 32-bit values, so their sum cannot overflow.
    if (header.offsetToResourceMap + header.lengthOfResourceMap > forkLength) return;
    if (header.lengthOfResourceMap < ResourceMap::headerSize) return;
    const ImageBytes mapBytes = block.slice(header.offsetToResourceMap, header.lengthOfResourceMap);
    const int64_t mapLength = static_cast<int64_t>(mapBytes.size());
    const ResourceMap map(mapBytes);

    // Each reference takes 12 bytes of its own in a sound map. Reference
    // lists that overlap (many types pointing at one list) could otherwise
    // make a small map announce billions of resources.
    int64_t referencesLeft = mapLength / ResourceTypeReferenceListItem::size;

    for (const ResourceTypeListItem& type : map.typeList) {
        // A type listed again replaces the resources of its earlier listing.
        auto& references = resources[type.resourceType];
        references.clear();
        if (type.numOfThisTypeInMapMinus1 == ResourceTypeListItem::noResources) continue;

        const int64_t listStart = map.offsetToTypeList + type.offsetToReferenceList;
        for (int64_t k = 0; k <= type.numOfThisTypeInMapMinus1 && referencesLeft > 0; ++k, --referencesLeft) {
            const int64_t entryStart = listStart + k * ResourceTypeReferenceListItem::size;
            if (entryStart + ResourceTypeReferenceListItem::size > mapLength) break;
            ResourceTypeReferenceListItem reference(
                mapBytes.slice(entryStart, ResourceTypeReferenceListItem::size));
            if (reference.offsetToResourceName != ResourceTypeReferenceListItem::noName)
                reference.resourceName = nameAt(mapBytes, map.offsetToNameList + reference.offsetToResourceName);
            auto contents = contentsAt(block, header.offsetToResourceData + reference.offsetFromResourceDataToResource);
            if (!contents) continue;
            reference.resourceData = std::move(*contents);
            references.push_back(std::move(reference));
        }
    }
}

std::optional<ImageBytes> ResourceFork::getResource(std::string_view type, int64_t id) const {
    if (id < -32768 || id > 32767) return std::nullopt;
    const auto found = resources.find(type);
    if (found == resources.end()) return std::nullopt;
    const int64_t pattern = id & 0xFFFF;
    for (const ResourceTypeReferenceListItem& reference : found->second) {
        if (reference.resourceID == pattern) return reference.resourceData;
    }
    return std::nullopt;
}

std::optional<ColorTable> ResourceFork::getclut(int64_t id) const {
    if (id == systemColorTableID) return ColorTable(ColorTable::clut8());
    const auto contents = getResource("clut", id);
    if (!contents) return std::nullopt;
    return ColorTable(*contents);
}

}  // namespace zorv
