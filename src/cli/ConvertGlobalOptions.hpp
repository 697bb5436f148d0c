#pragma once

#include <string>

#include "cli/LibraryServices.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/parser/ImageFormat.hpp"
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
    // Refuses (ValidationError) an output file that is the input file, links
    // followed: the new image would replace the disk image it is made from.
    void refuseOutputOverInput() const;
};

// "Image type: HFS (Macintosh)": the line to-device and to-volume print.
std::string imageTypeLine(ImageFormat format);

}  // namespace zorv::cli
