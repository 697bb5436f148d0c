#pragma once

#include <string>
#include <utility>
#include <vector>

#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv::testing {

// Every item of a volume with its path ("dir/file"), in hierarchy order.
inline std::vector<std::pair<std::string, VolumeItem>> itemsByPath(const VolumeRepresentable& volume) {
    std::vector<std::pair<std::string, VolumeItem>> items;
    std::vector<std::string> folders;
    for (const auto& element : volume.fileHierarchy()) {
        folders.resize(static_cast<size_t>(element.level));
        std::string path;
        for (const std::string& folder : folders) path += folder + "/";
        items.emplace_back(path + element.item->name(), element.item);
        folders.push_back(element.item->name());
    }
    return items;
}

}  // namespace zorv::testing
