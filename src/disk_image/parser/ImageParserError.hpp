#pragma once

#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/models/Model.hpp"

namespace zorv {

// Why format detection gives no parser. What the error prints is its case
// and payload, e.g. `noParsingForType("NDIF (Disk Copy 6.3)")` or
// `macROMDetected(models: ["Macintosh 512Ke", "Macintosh Plus"])`.
class ImageParserError : public EnumeratedError {
public:
    enum class Case {
        macROMDetected,      // a Macintosh ROM file; `models` are the catalog models whose checksums match
        noParsingForType,    // a format recognised but not read; `typeName` names it
        nonParseableImage,   // fewer than 1,024 bytes
        unknownVolumeType,   // no format accepted the bytes, and they are not all zero
        multipleCandidates,  // more than one model accepted the bytes (detection never records two)
    };

    explicit ImageParserError(Case errorCase);

    static ImageParserError macROMDetected(std::vector<Model> models);
    static ImageParserError noParsingForType(std::string typeName);

    static const char* caseName(Case errorCase);

    Case errorCase;
    std::vector<Model> models;
    std::string typeName;

private:
    ImageParserError(Case errorCase, const std::string& text);
};

}  // namespace zorv
