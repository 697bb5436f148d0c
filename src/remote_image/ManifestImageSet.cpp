#include "remote_image/ManifestImageSet.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

#include "remote_image/JSONValueReader.hpp"

namespace zorv {

ManifestImageSet::ManifestImageSet(std::string setName, std::string setReference, std::string language, std::string computerClass,
                                   std::string description, std::string supportedMachines, std::vector<ManifestImage> volumes)
    : setName_(std::move(setName)),
      setReference_(std::move(setReference)),
      language_(std::move(language)),
      computerClass_(std::move(computerClass)),
      description_(std::move(description)),
      supportedMachines_(std::move(supportedMachines)),
      volumes_(std::move(volumes)) {}

ManifestImageSet ManifestImageSet::decode(const JSONValueReader& object, bool fromLocalManifest) {
    std::string setName = object.member("setName").string();
    std::string setReference = object.member("setReference").string();
    std::string language = object.member("language").string();
    std::string computerClass = object.member("computerClass").string();
    std::string description = object.member("description").string();
    std::string supportedMachines = object.member("supportedMachines").string();
    std::vector<ManifestImage> volumes;
    for (const JSONValueReader& volume : object.member("volumes").elements()) volumes.push_back(ManifestImage::decode(volume, fromLocalManifest));
    return ManifestImageSet(std::move(setName), std::move(setReference), std::move(language), std::move(computerClass), std::move(description),
                            std::move(supportedMachines), std::move(volumes));
}

nlohmann::ordered_json ManifestImageSet::toJSON() const {
    nlohmann::ordered_json object;
    object["setName"] = setName_;
    object["setReference"] = setReference_;
    object["language"] = language_;
    object["computerClass"] = computerClass_;
    object["description"] = description_;
    object["supportedMachines"] = supportedMachines_;
    object["volumes"] = nlohmann::ordered_json::array();
    for (const ManifestImage& volume : volumes_) object["volumes"].push_back(volume.toJSON());
    return object;
}

std::string ManifestImageSet::reference() const { return setReference_ + "-" + language_; }

std::vector<ManifestImage> ManifestImageSet::sortedVolumes() const {
    std::vector<ManifestImage> sorted = volumes_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const ManifestImage& a, const ManifestImage& b) { return a.order() < b.order(); });
    return sorted;
}

std::string ManifestImageSet::presentableLanguage() const {
    static constexpr std::pair<std::string_view, std::string_view> names[] = {
        {"multi", "International"}, {"fr", "French"}, {"de", "German"},     {"it", "Italian"}, {"es", "Spanish"},
        {"el", "Greek"},            {"pt", "Portuguese"}, {"pl", "Polish"}, {"sv", "Swedish"}, {"tr", "Turkish"},
    };
    for (const auto& [code, name] : names) {
        if (language_ == code) return std::string(name);
    }
    return "English";
}

}  // namespace zorv
