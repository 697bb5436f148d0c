#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "disk_image/model/CodableDiskGeometry.hpp"
#include "disk_image/model/CodablePartition.hpp"
#include "disk_image/model/CodableVolume.hpp"
#include "disk_image/model/CodableVolumeItem.hpp"
#include "disk_image/parser/CodableResult.hpp"
#include "disk_image/parser/ImageAnalysis.hpp"

namespace zorv {

// The JSON report: the records of the analysis as JSON objects whose keys are
// the field names in field order. Absent optionals are left out (never
// null); integers are numbers, flags booleans, texts strings.
//
// The text is nlohmann-json's pretty layout with an indent of two spaces and
// no line feed at the end:
//
//     {
//       "computerClass": "Macintosh",
//       "imageType": "HFS",
//       ...
//     }
//
// Texts are written as UTF-8 without escaping; a byte sequence that is not
// UTF-8 (no volume format hands one out) becomes U+FFFD instead of failing.
struct AnalysisJSONEncoder {
    static constexpr int indent = 2;

    static std::string encode(const CodableResult& result);
    // The report of the analysis (ImageAnalysis::codableResult(verbose)),
    // written as it is produced: the volumes' items go out one by one as the
    // hierarchy walks meet them, none is kept. The same text as encode().
    static void write(const ImageAnalysis& analysis, bool verbose, std::ostream& out);

    // Reads a report back. Throws nlohmann::json::exception when the text is
    // not JSON, a required key is missing or a value has the wrong type.
    static CodableResult decode(std::string_view text);
};

// The conversions nlohmann-json finds by argument-dependent lookup, to read
// a report back.
void from_json(const nlohmann::ordered_json& json, CodableDiskGeometry& geometry);
void from_json(const nlohmann::ordered_json& json, CodableVolumeItem& item);
void from_json(const nlohmann::ordered_json& json, CodableVolume& volume);
void from_json(const nlohmann::ordered_json& json, CodablePartition& partition);
void from_json(const nlohmann::ordered_json& json, CodableResult& result);

}  // namespace zorv
