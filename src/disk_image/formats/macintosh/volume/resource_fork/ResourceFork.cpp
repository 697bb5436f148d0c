#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data_access/TextEncoding.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceHeader.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceMap.hpp"

namespace zorv {

namespace {

// The resource names of a map: each a length byte and that many Mac OS
// Roman characters, at a 16-bit offset from the start of the name list. The
// bytes they can lie in are decoded once, as a damaged map may name the same
// (or overlapping) 255 characters thousands of times.
class NameList {
public:
    NameList(const ImageBytes& map, int64_t listStart) : map_(map), listStart_(listStart) {
        const int64_t mapLength = static_cast<int64_t>(map.size());
        if (listStart < 0 || listStart >= mapLength) return;
        const int64_t reach = std::min<int64_t>(mapLength - listStart, 0xFFFF + 1 + 255);
        const ByteView bytes = map.view().subspan(static_cast<size_t>(listStart), static_cast<size_t>(reach));
        // Mac OS Roman maps each byte to one character on its own.
        static const std::array<std::string, 256> characters = [] {
            std::array<std::string, 256> table;
            for (size_t byte = 0; byte < table.size(); ++byte) {
                const uint8_t value = static_cast<uint8_t>(byte);
                table[byte] = decodeMacOSRoman(ByteView(&value, 1));
            }
            return table;
        }();
        starts_.reserve(bytes.size() + 1);
        for (const uint8_t byte : bytes) {
            starts_.push_back(static_cast<uint32_t>(text_.size()));
            text_ += characters[byte];
        }
        starts_.push_back(static_cast<uint32_t>(text_.size()));
    }

    // The name at `offset` from the list's start, one copy for each
    // distinct text, however many references name it; null when it is
    // empty or runs past the map.
    std::shared_ptr<const std::string> nameAt(int64_t offset) {
        const auto known = byOffset_.find(offset);
        if (known != byOffset_.end()) return known->second;
        std::shared_ptr<const std::string>& name = byOffset_[offset];
        const std::string_view text = textAt(offset);
        if (text.empty()) return name;
        // The key views text_, which lives as long as the table.
        std::shared_ptr<const std::string>& same = byText_[text];
        if (!same) same = std::make_shared<const std::string>(text);
        name = same;
        return name;
    }

private:
    std::string_view textAt(int64_t offset) const {
        const int64_t mapLength = static_cast<int64_t>(map_.size());
        const int64_t start = listStart_ + offset;
        if (start >= mapLength) return {};
        const int64_t count = map_[static_cast<size_t>(start)];
        if (start + 1 + count > mapLength) return {};
        // Inside the map, so inside the decoded bytes: a 16-bit offset, a
        // length byte and at most 255 characters.
        const auto first = static_cast<size_t>(offset + 1);
        return std::string_view(text_).substr(starts_[first], starts_[first + static_cast<size_t>(count)] - starts_[first]);
    }

    const ImageBytes& map_;
    int64_t listStart_;
    std::string text_;              // the list's bytes decoded
    std::vector<uint32_t> starts_;  // where each byte's character starts in text_
    // At most 65,536 offsets and as many texts.
    std::unordered_map<int64_t, std::shared_ptr<const std::string>> byOffset_;
    std::unordered_map<std::string_view, std::shared_ptr<const std::string>> byText_;
};

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
    NameList names(mapBytes, map.offsetToNameList);

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
            if (reference.offsetToResourceName != ResourceTypeReferenceListItem::noName) {
                reference.name = names.nameAt(reference.offsetToResourceName);
            }
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
