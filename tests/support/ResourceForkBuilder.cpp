#include "support/ResourceForkBuilder.hpp"

#include "support/ByteBuilder.hpp"

namespace zorv::testing {

namespace {

constexpr int64_t kDataOffset = 256;
constexpr int64_t kTypeListOffset = 28;

int64_t readU32(const ImageBytes& bytes, int64_t offset) {
    int64_t value = 0;
    for (int64_t i = 0; i < 4; ++i) value = (value << 8) | bytes[static_cast<size_t>(offset + i)];
    return value;
}

int64_t readU16(const ImageBytes& bytes, int64_t offset) {
    return (bytes[static_cast<size_t>(offset)] << 8) | bytes[static_cast<size_t>(offset + 1)];
}

}  // namespace

ImageBytes buildResourceFork(const std::vector<ResourceTypeSpec>& types) {
    ByteBuilder data;
    ByteBuilder names;
    ByteBuilder references;
    ByteBuilder typeItems;
    const int64_t typeItemsLength = 2 + 8 * static_cast<int64_t>(types.size());
    for (const ResourceTypeSpec& type : types) {
        const int64_t referenceListOffset = typeItemsLength + static_cast<int64_t>(references.size());
        typeItems.text(type.type)
            .u16(static_cast<int64_t>(type.resources.size()) - 1)
            .u16(referenceListOffset);
        for (const ResourceSpec& resource : type.resources) {
            const int64_t nameOffset = resource.name ? static_cast<int64_t>(names.size()) : 0xFFFF;
            if (resource.name) names.pascal(*resource.name);
            references.u16(resource.id & 0xFFFF)
                .u16(nameOffset)
                .u8(0)
                .u8((static_cast<int64_t>(data.size()) >> 16) & 0xFF)
                .u16(static_cast<int64_t>(data.size()) & 0xFFFF)
                .u32(0);
            data.u32(static_cast<int64_t>(resource.contents.size())).bytes(resource.contents);
        }
    }

    const int64_t mapOffset = kDataOffset + static_cast<int64_t>(data.size());
    const int64_t nameListOffset = kTypeListOffset + typeItemsLength + static_cast<int64_t>(references.size());
    const int64_t mapLength = nameListOffset + static_cast<int64_t>(names.size());
    ByteBuilder header;
    header.u32(kDataOffset).u32(mapOffset).u32(static_cast<int64_t>(data.size())).u32(mapLength);

    ByteBuilder fork;
    fork.bytes(header).zeros(static_cast<size_t>(kDataOffset) - header.size()).bytes(data);
    fork.bytes(header)
        .u32(0)  // handle to the next map
        .u16(0)  // file reference number
        .u16(0)  // fork attributes
        .u16(kTypeListOffset)
        .u16(nameListOffset)
        .u16(static_cast<int64_t>(types.size()) - 1)
        .bytes(typeItems)
        .bytes(references)
        .bytes(names);
    return fork.image();
}

ResourceForkLayout resourceForkLayout(const ImageBytes& fork) {
    ResourceForkLayout layout;
    layout.dataOffset = readU32(fork, 0);
    layout.mapOffset = readU32(fork, 4);
    layout.typeListOffset = layout.mapOffset + readU16(fork, layout.mapOffset + 24);
    layout.nameListOffset = layout.mapOffset + readU16(fork, layout.mapOffset + 26);
    const int64_t typeCount = (readU16(fork, layout.typeListOffset) + 1) & 0xFFFF;
    layout.referenceListsOffset = layout.typeListOffset + 2 + 8 * typeCount;
    return layout;
}

}  // namespace zorv::testing
