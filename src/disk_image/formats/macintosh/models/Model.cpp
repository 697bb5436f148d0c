#include "disk_image/formats/macintosh/models/Model.hpp"

#include <algorithm>
#include <stdexcept>

namespace zorv {

int64_t Model::firstCapacity() const { return capacity.empty() ? 0 : capacity.front(); }

std::string Model::safeName() const {
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '-');
    return safe;
}

bool Model::hasCD() const { return name.find("CD") != std::string::npos && family != ModelFamily::Other; }

std::string Model::preferredPrefix() const {
    if (name == "Iomega Zip") return "ZP";
    if (family == ModelFamily::Removable) return "RE";
    return "HD";
}

int64_t Model::capacityAtIndex(size_t index) const { return capacity.at(index); }

int64_t Model::capacityInBlocksAtIndex(size_t index) const {
    if (!exactCapacityInBlocks) throw std::out_of_range("the model has no exact capacities");
    return exactCapacityInBlocks->at(index);
}

Model Model::defaultModel() {
    Model model;
    model.name = "Default";
    model.family = ModelFamily::Compact;
    model.capacity = {20};
    model.capacityUnit = ModelCapacityUnit::MB;
    model.imageName = "Default";
    return model;
}

}  // namespace zorv
