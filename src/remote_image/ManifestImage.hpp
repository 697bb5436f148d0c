#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "data_access/ImageBytes.hpp"
#include "platform/URL.hpp"

namespace zorv {

class JSONValueReader;

// One volume image file of a premade set, as the manifest lists it.
class ManifestImage {
public:
    // `fromLocalManifest`: the manifest itself was read from a file URL, which
    // is the only case in which a volume may be fetched from a file URL too.
    ManifestImage(int64_t sizeInBytes, std::string fileSystem, int64_t order, URL url, bool fromLocalManifest = false);

    // A volume object: "sizeInBytes" and "order" integers, "fileSystem" and
    // "url" strings, all required; other keys are ignored.
    static ManifestImage decode(const JSONValueReader& object, bool fromLocalManifest);
    // The same four keys; the URL as its absolute text.
    nlohmann::ordered_json toJSON() const;

    // The size the manifest states (the download is never compared with it).
    int64_t sizeInBytes() const { return sizeInBytes_; }
    // The volume's file system, "HFS", "ProDOS"...; the command layer picks
    // the partition type by it.
    const std::string& fileSystem() const { return fileSystem_; }
    // Position within the set, ascending.
    int64_t order() const { return order_; }
    const URL& url() const { return url_; }
    bool fromLocalManifest() const { return fromLocalManifest_; }

    // sizeInBytes / 512, truncated toward zero.
    int64_t sizeInBlocks() const { return sizeInBytes_ / 512; }

    // Fetches the whole volume image (blocking), anew on each call. An http or
    // https URL is always fetched; a file URL only for a manifest read from a
    // file URL; anything else throws ManifestItemError refusedVolumeURL.
    // Otherwise throws as WexDownloader::syncDownload() does (emptyData for an
    // empty body).
    ImageBytes download() const;

private:
    int64_t sizeInBytes_;
    std::string fileSystem_;
    int64_t order_;
    URL url_;
    bool fromLocalManifest_;
};

}  // namespace zorv
