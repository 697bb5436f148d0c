#pragma once

#include <array>
#include <cstdint>

namespace zorv {

// The bytes of data/models/model-catalog.json, compiled in by the build
// (cmake/EmbedData.cmake), which checks the file's size against the size
// below; change both together when the catalog changes. Only ModelCatalog
// reads it.
struct ModelCatalogJSON {
    static const std::array<uint8_t, 17385> text;
};

}  // namespace zorv
