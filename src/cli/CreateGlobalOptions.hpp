#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorv::cli {

class Arguments;

// The options that empty-image and mac-device share, declared once and
// included, untitled, in each (as their member createOptions).
struct CreateGlobalOptions {
    std::optional<std::string> outputFile;
    std::optional<int64_t> sizeInMB;

    void declareArguments(Arguments& arguments);
};

}  // namespace zorv::cli
