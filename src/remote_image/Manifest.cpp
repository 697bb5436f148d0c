#include "remote_image/Manifest.hpp"

#include <algorithm>
#include <string>

#include "data_access/TextEncoding.hpp"
#include "remote_image/JSONValueReader.hpp"
#include "remote_image/ManifestItemError.hpp"
#include "remote_image/WexDownloader.hpp"
#include "remote_image/WexDownloaderError.hpp"

namespace zorv {

Manifest Manifest::withURLString(std::string_view urlString) {
    const auto url = URL::parse(urlString);
    if (!url) throw WexDownloaderError(WexDownloaderError::Case::invalidURL);
    WexDownloader downloader(*url);
    downloader.syncDownload();
    return decode(downloader.data(), url->isFileURL());
}

Manifest Manifest::decode(ByteView document, bool fromLocalManifest) {
    const nlohmann::json root = JSONValueReader::parse(document);
    std::vector<ManifestImageSet> sets;
    for (const JSONValueReader& set : JSONValueReader(root).elements()) sets.push_back(ManifestImageSet::decode(set, fromLocalManifest));
    return Manifest(std::move(sets));
}

nlohmann::ordered_json Manifest::toJSON() const {
    nlohmann::ordered_json sets = nlohmann::ordered_json::array();
    for (const ManifestImageSet& set : sets_) sets.push_back(set.toJSON());
    nlohmann::ordered_json object;
    object["sets"] = std::move(sets);
    return object;
}

std::vector<ManifestImageSet> Manifest::sortedSets() const {
    struct Keyed {
        std::string name;
        std::string language;
        const ManifestImageSet* set;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(sets_.size());
    for (const ManifestImageSet& set : sets_) {
        keyed.push_back({canonicallyComposed(set.setName()), canonicallyComposed(set.language()), &set});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.name != b.name) return a.name < b.name;
        return a.language < b.language;
    });
    std::vector<ManifestImageSet> sorted;
    sorted.reserve(keyed.size());
    for (const Keyed& entry : keyed) sorted.push_back(*entry.set);
    return sorted;
}

const ManifestImageSet& Manifest::setForReference(std::string_view reference) const {
    const std::string wanted = canonicallyComposed(std::string(reference));
    for (const ManifestImageSet& set : sets_) {
        if (canonicallyComposed(set.reference()) == wanted) return set;
    }
    throw ManifestItemError(ManifestItemError::Case::invalidSetReference, reference);
}

}  // namespace zorv
