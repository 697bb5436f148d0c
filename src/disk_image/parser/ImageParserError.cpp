#include "disk_image/parser/ImageParserError.hpp"

#include <utility>

namespace zorv {
namespace {

std::string modelList(const std::vector<Model>& models) {
    std::string text = "macROMDetected(models: [";
    for (size_t index = 0; index < models.size(); ++index) {
        if (index > 0) text += ", ";
        text += "\"" + models[index].name + "\"";
    }
    return text + "])";
}

}  // namespace

ImageParserError::ImageParserError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

ImageParserError::ImageParserError(Case errorCase, const std::string& text)
    : EnumeratedError(text), errorCase(errorCase) {}

ImageParserError ImageParserError::macROMDetected(std::vector<Model> models) {
    ImageParserError error(Case::macROMDetected, modelList(models));
    error.models = std::move(models);
    return error;
}

ImageParserError ImageParserError::noParsingForType(std::string typeName) {
    ImageParserError error(Case::noParsingForType,
                           std::string(caseName(Case::noParsingForType)) + "(\"" + typeName + "\")");
    error.typeName = std::move(typeName);
    return error;
}

const char* ImageParserError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::macROMDetected:
            return "macROMDetected";
        case Case::noParsingForType:
            return "noParsingForType";
        case Case::nonParseableImage:
            return "nonParseableImage";
        case Case::unknownVolumeType:
            return "unknownVolumeType";
        case Case::multipleCandidates:
            return "multipleCandidates";
    }
    return "unknown";
}

}  // namespace zorv
