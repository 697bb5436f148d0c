#include "cli/ConvertGlobalOptions.hpp"

#include "cli/Arguments.hpp"
#include "platform/FileSystem.hpp"

namespace zorv::cli {

void ConvertGlobalOptions::declareArguments(Arguments& arguments) {
    arguments.positional("inputFile", "File name of the disk image to convert.", inputFile);
    arguments.positional("outputFile", "File name of the converted image.", outputFile);
}

URL ConvertGlobalOptions::inputURL() const { return URL::fileURLWithPath(inputFile); }

URL ConvertGlobalOptions::outputURL() const { return URL::fileURLWithPath(outputFile); }

ImageBytes ConvertGlobalOptions::readInput() const { return fs::readWholeFile(inputURL()); }

std::string imageTypeLine(const ImageSummary& summary) {
    return "Image type: " + summary.formatName + " (" + summary.computerClass + ")";
}

}  // namespace zorv::cli
