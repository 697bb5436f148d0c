#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/models/Model.hpp"
#include "disk_image/formats/macintosh/models/ModelFamily.hpp"

namespace zorv {

// The built-in list of Macintosh computers, drives and removable media,
// decoded from the JSON text compiled into the program
// (data/models/model-catalog.json). Format detection uses it to recognise a
// Macintosh ROM file by the checksum in its first four bytes.
//
// Each object of the text becomes one entry under its display name (its
// special name, or the family's name prefix and its own name), followed by one
// entry per alias, named after the alias's family and carrying the model's
// capacities, illustration and checksums.
struct ModelCatalog {
    // Catalog order; every entry has a new id and no special name.
    std::vector<Model> list;

    // Decodes the stored text. A text that does not decode as a whole (bad
    // JSON, a missing key, a value of the wrong type, an unknown family or
    // unit) leaves the list empty; nothing is thrown or reported.
    ModelCatalog();
    // The same from any catalog text.
    explicit ModelCatalog(std::string_view json);

    // The entries of one family. Compact, MacII, LC and Other keep catalog
    // order and leave out entries without capacities; the other families are
    // sorted by name as file listings sort (digit runs by value), entries of
    // equal names keeping catalog order.
    std::vector<Model> listForFamily(ModelFamily family) const;
    // An entry of listForFamily(family); throws std::out_of_range outside it.
    Model modelAtIndex(size_t index, ModelFamily family) const;

    // The entries whose ROM checksums hold the big-endian long at the start of
    // `data`, in catalog order; nothing when none does or `data` is shorter
    // than four bytes. A fresh catalog is decoded for every call.
    static std::optional<std::vector<Model>> modelsMatchingCRCin(ByteView data);

    // The stored catalog text (UTF-8 JSON).
    static std::string_view modelCatalogJSONAsData();
};

}  // namespace zorv
