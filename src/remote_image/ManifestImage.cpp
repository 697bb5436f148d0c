#include "remote_image/ManifestImage.hpp"

#include "remote_image/JSONValueReader.hpp"
#include "remote_image/ManifestItemError.hpp"
#include "remote_image/WexDownloader.hpp"

namespace zorv {

ManifestImage::ManifestImage(int64_t sizeInBytes, std::string fileSystem, int64_t order, URL url, bool fromLocalManifest)
    : sizeInBytes_(sizeInBytes), fileSystem_(std::move(fileSystem)), order_(order), url_(std::move(url)), fromLocalManifest_(fromLocalManifest) {}

ManifestImage ManifestImage::decode(const JSONValueReader& object, bool fromLocalManifest) {
    const int64_t sizeInBytes = object.member("sizeInBytes").int64();
    std::string fileSystem = object.member("fileSystem").string();
    const int64_t order = object.member("order").int64();
    URL url = object.member("url").url();
    return ManifestImage(sizeInBytes, std::move(fileSystem), order, std::move(url), fromLocalManifest);
}

nlohmann::ordered_json ManifestImage::toJSON() const {
    nlohmann::ordered_json object;
    object["sizeInBytes"] = sizeInBytes_;
    object["fileSystem"] = fileSystem_;
    object["order"] = order_;
    object["url"] = url_.absoluteString();
    return object;
}

ImageBytes ManifestImage::download() const {
    const std::string& scheme = url_.scheme();
    const bool allowed = scheme == "http" || scheme == "https" || (scheme == "file" && fromLocalManifest_);
    if (!allowed) throw ManifestItemError(ManifestItemError::Case::refusedVolumeURL, url_.absoluteString());
    WexDownloader downloader(url_);
    downloader.syncDownload();
    return downloader.data();
}

}  // namespace zorv
