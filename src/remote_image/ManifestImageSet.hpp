#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "remote_image/ManifestImage.hpp"

namespace zorv {

class JSONValueReader;

// One premade set: a named group of volume images in one language.
class ManifestImageSet {
public:
    ManifestImageSet(std::string setName, std::string setReference, std::string language, std::string computerClass, std::string description,
                     std::string supportedMachines, std::vector<ManifestImage> volumes);

    // A set object: six strings and the "volumes" array, all required; other
    // keys are ignored.
    static ManifestImageSet decode(const JSONValueReader& object, bool fromLocalManifest);
    nlohmann::ordered_json toJSON() const;

    const std::string& setName() const { return setName_; }
    const std::string& setReference() const { return setReference_; }
    const std::string& language() const { return language_; }
    const std::string& computerClass() const { return computerClass_; }
    const std::string& description() const { return description_; }
    const std::string& supportedMachines() const { return supportedMachines_; }
    // In document order.
    const std::vector<ManifestImage>& volumes() const { return volumes_; }

    // setReference + "-" + language, unchanged ("base-de").
    std::string reference() const;
    // The volumes by ascending order; equal orders keep document order.
    std::vector<ManifestImage> sortedVolumes() const;
    // The English name of the language code ("de" gives "German"); unknown
    // codes, the empty one included, give "English".
    std::string presentableLanguage() const;

private:
    std::string setName_;
    std::string setReference_;
    std::string language_;
    std::string computerClass_;
    std::string description_;
    std::string supportedMachines_;
    std::vector<ManifestImage> volumes_;
};

}  // namespace zorv
