#pragma once

#include <string>

#include "cli/LibraryServices.hpp"
#include "data_access/ImageBytes.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {

class Arguments;

// The input and output files that the three convert subcommands share,
// declared once and included, untitled, in each (as convertOptions).
struct ConvertGlobalOptions {
    std::string inputFile;
    std::string outputFile;

    void declareArguments(Arguments& arguments);

    URL inputURL() const;
    URL outputURL() const;
    // The input file's bytes, read whole; a read error passes unchanged.
    ImageBytes readInput() const;
};

// "Image type: HFS (Macintosh)": the line to-device and to-volume print.
std::string imageTypeLine(const ImageSummary& summary);

}  // namespace zorv::cli
