#include "disk_image/parser/AnalysisJSONEncoder.hpp"

#include <optional>
#include <sstream>
#include <type_traits>
#include <vector>

#include "disk_image/parser/JSONStreamWriter.hpp"

namespace zorv {
namespace {

using JSON = nlohmann::ordered_json;

// The writers below put the keys in the order of the records' fields, the
// order from_json reads them back in.

// One member of an object: its key (a name, or a key prepared for the
// objects of a list), then its value.
template <typename Key, typename T>
void writeMember(JSONStreamWriter& writer, const Key& key, const T& value) {
    if constexpr (std::is_same_v<Key, JSONStreamWriter::PreparedKey>) {
        writer.member(key, value);
    } else {
        writer.key(key);
        writer.value(value);
    }
}

template <typename Key, typename T>
void writeOptional(JSONStreamWriter& writer, const Key& key, const std::optional<T>& value) {
    if (value) writeMember(writer, key, *value);
}

void writeGeometry(JSONStreamWriter& writer, const CodableDiskGeometry& geometry) {
    writer.beginObject();
    writeMember(writer, "tracks", geometry.tracks);
    writeMember(writer, "sides", geometry.sides);
    writeMember(writer, "sectors", geometry.sectors);
    writer.endObject();
}

// The keys of a volume's items, made once for the objects of its list.
struct ItemKeys {
    using Key = JSONStreamWriter::PreparedKey;
    Key name, sizeInBytes, creationDate, modificationDate, isFolder, type, creator, isInvisible, fileExtension, level;

    // Called with the list open: its objects lie one level below.
    explicit ItemKeys(const JSONStreamWriter& writer)
        : name(writer.prepareKey("name", 1)),
          sizeInBytes(writer.prepareKey("sizeInBytes", 1)),
          creationDate(writer.prepareKey("creationDate", 1)),
          modificationDate(writer.prepareKey("modificationDate", 1)),
          isFolder(writer.prepareKey("isFolder", 1)),
          type(writer.prepareKey("type", 1)),
          creator(writer.prepareKey("creator", 1)),
          isInvisible(writer.prepareKey("isInvisible", 1)),
          fileExtension(writer.prepareKey("fileExtension", 1)),
          level(writer.prepareKey("level", 1)) {}
};

void writeItem(JSONStreamWriter& writer, const ItemKeys& keys, const CodableVolumeItem& item) {
    writer.beginObject();
    writeMember(writer, keys.name, item.name);
    writeMember(writer, keys.sizeInBytes, item.sizeInBytes);
    writeOptional(writer, keys.creationDate, item.creationDate);
    writeOptional(writer, keys.modificationDate, item.modificationDate);
    writeMember(writer, keys.isFolder, item.isFolder);
    writeOptional(writer, keys.type, item.type);
    writeOptional(writer, keys.creator, item.creator);
    writeMember(writer, keys.isInvisible, item.isInvisible);
    writeMember(writer, keys.fileExtension, item.fileExtension);
    writeMember(writer, keys.level, item.level);
    writer.endObject();
}

// A volume's record. Its items come from `walked` when given, each written
// as the hierarchy walk meets it and then dropped; from the record otherwise.
void writeVolume(JSONStreamWriter& writer, const CodableVolume& volume, const VolumeRepresentable* walked) {
    writer.beginObject();
    writeMember(writer, "name", volume.name);
    writeMember(writer, "bootable", volume.bootable);
    writeMember(writer, "totalCapacityInBytes", volume.totalCapacityInBytes);
    writeMember(writer, "freeCapacityInBytes", volume.freeCapacityInBytes);
    writeOptional(writer, "creationDate", volume.creationDate);
    writeOptional(writer, "modificationDate", volume.modificationDate);
    if (walked != nullptr || volume.fileHierarchy) {
        writer.key("fileHierarchy");
        writer.beginArray();
        const ItemKeys keys(writer);
        if (walked != nullptr) {
            // One record filled for each item in turn.
            CodableVolumeItem record;
            walked->walkFileHierarchy([&](const FileHierarchyElement& element) {
                element.item->fillCodableAtLevel(element.level, record);
                writeItem(writer, keys, record);
            });
        } else {
            for (const CodableVolumeItem& item : *volume.fileHierarchy) writeItem(writer, keys, item);
        }
        writer.endArray();
    }
    writer.endObject();
}

void writePartition(JSONStreamWriter& writer, const CodablePartition& partition, const VolumeRepresentable* walked) {
    writer.beginObject();
    writeMember(writer, "type", partition.type);
    writeMember(writer, "name", partition.name);
    writeMember(writer, "startBlock", partition.startBlock);
    writeMember(writer, "sizeInBlocks", partition.sizeInBlocks);
    if (walked != nullptr) {
        writer.key("volume");
        writeVolume(writer, walked->codable(false), walked);
    } else if (partition.volume) {
        writer.key("volume");
        writeVolume(writer, *partition.volume, nullptr);
    }
    writer.endObject();
}

// The whole document. `volume` and `partitionVolumes` (one per partition of
// the record, null for none) are walked for their items when given.
void writeResult(JSONStreamWriter& writer, const CodableResult& result, const VolumeRepresentable* volume,
                 const std::vector<const VolumeRepresentable*>& partitionVolumes) {
    writer.beginObject();
    writeMember(writer, "computerClass", result.computerClass);
    writeMember(writer, "imageType", result.imageType);
    writeOptional(writer, "wrapper", result.wrapper);
    writeMember(writer, "blockSize", result.blockSize);
    writeMember(writer, "sizeInBlocks", result.sizeInBlocks);
    if (result.partitions) {
        writer.key("partitions");
        writer.beginArray();
        for (size_t index = 0; index < result.partitions->size(); ++index) {
            const VolumeRepresentable* walked = index < partitionVolumes.size() ? partitionVolumes[index] : nullptr;
            writePartition(writer, (*result.partitions)[index], walked);
        }
        writer.endArray();
    }
    if (result.volume) {
        writer.key("volume");
        writeVolume(writer, *result.volume, volume);
    }
    if (result.geometry) {
        writer.key("geometry");
        writeGeometry(writer, *result.geometry);
    }
    writer.endObject();
}

template <typename T>
void getOptional(const JSON& json, const char* key, std::optional<T>& value) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) {
        value.reset();
    } else {
        value = found->template get<T>();
    }
}

}  // namespace

void from_json(const JSON& json, CodableDiskGeometry& geometry) {
    json.at("tracks").get_to(geometry.tracks);
    json.at("sides").get_to(geometry.sides);
    json.at("sectors").get_to(geometry.sectors);
}

void from_json(const JSON& json, CodableVolumeItem& item) {
    json.at("name").get_to(item.name);
    json.at("sizeInBytes").get_to(item.sizeInBytes);
    getOptional(json, "creationDate", item.creationDate);
    getOptional(json, "modificationDate", item.modificationDate);
    json.at("isFolder").get_to(item.isFolder);
    getOptional(json, "type", item.type);
    getOptional(json, "creator", item.creator);
    json.at("isInvisible").get_to(item.isInvisible);
    json.at("fileExtension").get_to(item.fileExtension);
    json.at("level").get_to(item.level);
}

void from_json(const JSON& json, CodableVolume& volume) {
    json.at("name").get_to(volume.name);
    json.at("bootable").get_to(volume.bootable);
    json.at("totalCapacityInBytes").get_to(volume.totalCapacityInBytes);
    json.at("freeCapacityInBytes").get_to(volume.freeCapacityInBytes);
    getOptional(json, "creationDate", volume.creationDate);
    getOptional(json, "modificationDate", volume.modificationDate);
    getOptional(json, "fileHierarchy", volume.fileHierarchy);
}

void from_json(const JSON& json, CodablePartition& partition) {
    json.at("type").get_to(partition.type);
    json.at("name").get_to(partition.name);
    json.at("startBlock").get_to(partition.startBlock);
    json.at("sizeInBlocks").get_to(partition.sizeInBlocks);
    getOptional(json, "volume", partition.volume);
}

void from_json(const JSON& json, CodableResult& result) {
    json.at("computerClass").get_to(result.computerClass);
    json.at("imageType").get_to(result.imageType);
    getOptional(json, "wrapper", result.wrapper);
    json.at("blockSize").get_to(result.blockSize);
    json.at("sizeInBlocks").get_to(result.sizeInBlocks);
    getOptional(json, "partitions", result.partitions);
    getOptional(json, "volume", result.volume);
    getOptional(json, "geometry", result.geometry);
}

std::string AnalysisJSONEncoder::encode(const CodableResult& result) {
    std::ostringstream text;
    JSONStreamWriter writer(text, indent);
    writeResult(writer, result, nullptr, {});
    return text.str();
}

void AnalysisJSONEncoder::write(const ImageAnalysis& analysis, bool verbose, std::ostream& out) {
    // Everything but the items, then the items as the walks meet them.
    const CodableResult result = analysis.codableResult(false);
    const VolumeRepresentable* volume = verbose ? analysis.volume.get() : nullptr;
    std::vector<std::shared_ptr<const VolumeRepresentable>> partitionVolumes;
    if (verbose && analysis.device) {
        for (const auto& partition : analysis.device->devicePartitions()) {
            if (partition) partitionVolumes.push_back(partition->associatedVolume());
        }
    }
    std::vector<const VolumeRepresentable*> walked;
    walked.reserve(partitionVolumes.size());
    for (const auto& partitionVolume : partitionVolumes) walked.push_back(partitionVolume.get());
    JSONStreamWriter writer(out, indent);
    writeResult(writer, result, volume, walked);
}

CodableResult AnalysisJSONEncoder::decode(std::string_view text) {
    return JSON::parse(text.begin(), text.end()).get<CodableResult>();
}

}  // namespace zorv
