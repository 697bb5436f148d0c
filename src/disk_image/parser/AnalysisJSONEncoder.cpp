#include "disk_image/parser/AnalysisJSONEncoder.hpp"

#include <optional>
#include <vector>

namespace zorv {
namespace {

using JSON = nlohmann::ordered_json;

template <typename T>
void putOptional(JSON& json, const char* key, const std::optional<T>& value) {
    if (value) json[key] = *value;
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

void to_json(JSON& json, const CodableDiskGeometry& geometry) {
    json = JSON::object();
    json["tracks"] = geometry.tracks;
    json["sides"] = geometry.sides;
    json["sectors"] = geometry.sectors;
}

void to_json(JSON& json, const CodableVolumeItem& item) {
    json = JSON::object();
    json["name"] = item.name;
    json["sizeInBytes"] = item.sizeInBytes;
    putOptional(json, "creationDate", item.creationDate);
    putOptional(json, "modificationDate", item.modificationDate);
    json["isFolder"] = item.isFolder;
    putOptional(json, "type", item.type);
    putOptional(json, "creator", item.creator);
    json["isInvisible"] = item.isInvisible;
    json["fileExtension"] = item.fileExtension;
    json["level"] = item.level;
}

void to_json(JSON& json, const CodableVolume& volume) {
    json = JSON::object();
    json["name"] = volume.name;
    json["bootable"] = volume.bootable;
    json["totalCapacityInBytes"] = volume.totalCapacityInBytes;
    json["freeCapacityInBytes"] = volume.freeCapacityInBytes;
    putOptional(json, "creationDate", volume.creationDate);
    putOptional(json, "modificationDate", volume.modificationDate);
    if (volume.fileHierarchy) {
        JSON items = JSON::array();
        for (const CodableVolumeItem& item : *volume.fileHierarchy) items.push_back(item);
        json["fileHierarchy"] = std::move(items);
    }
}

void to_json(JSON& json, const CodablePartition& partition) {
    json = JSON::object();
    json["type"] = partition.type;
    json["name"] = partition.name;
    json["startBlock"] = partition.startBlock;
    json["sizeInBlocks"] = partition.sizeInBlocks;
    putOptional(json, "volume", partition.volume);
}

void to_json(JSON& json, const CodableResult& result) {
    json = JSON::object();
    json["computerClass"] = result.computerClass;
    json["imageType"] = result.imageType;
    putOptional(json, "wrapper", result.wrapper);
    json["blockSize"] = result.blockSize;
    json["sizeInBlocks"] = result.sizeInBlocks;
    if (result.partitions) {
        JSON partitions = JSON::array();
        for (const CodablePartition& partition : *result.partitions) partitions.push_back(partition);
        json["partitions"] = std::move(partitions);
    }
    putOptional(json, "volume", result.volume);
    putOptional(json, "geometry", result.geometry);
}

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
    return toJSON(result).dump(indent, ' ', false, JSON::error_handler_t::replace);
}

JSON AnalysisJSONEncoder::toJSON(const CodableResult& result) { return JSON(result); }

CodableResult AnalysisJSONEncoder::decode(std::string_view text) {
    return JSON::parse(text.begin(), text.end()).get<CodableResult>();
}

}  // namespace zorv
