#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorv {

// One file or folder in the JSON report. Fields are in the order the report
// writes its keys; an absent optional is left out of the object.
struct CodableVolumeItem {
    std::string name;
    // The logical size, 0 when the item has none.
    int64_t sizeInBytes = 0;
    // ISO 8601 text in UTC, e.g. "1998-01-19T15:04:05Z".
    std::optional<std::string> creationDate;
    std::optional<std::string> modificationDate;
    bool isFolder = false;
    // The four-character codes as Mac OS Roman text (empty when they do not
    // decode); absent when the item has no such code.
    std::optional<std::string> type;
    std::optional<std::string> creator;
    bool isInvisible = false;
    std::string fileExtension;
    // Depth in the file hierarchy: 0 at the volume's root.
    int64_t level = 0;

    friend bool operator==(const CodableVolumeItem&, const CodableVolumeItem&) = default;
};

}  // namespace zorv
