#include "cli/ConvertGlobalOptions.hpp"

#include "cli/Arguments.hpp"
#include "cli/ParsableCommand.hpp"
#include "platform/FileSystem.hpp"

namespace zorv::cli {

void ConvertGlobalOptions::declareArguments(Arguments& arguments) {
    arguments.positional("inputFile", "File name of the disk image to convert.", inputFile);
    arguments.positional("outputFile", "File name of the converted image.", outputFile);
}

URL ConvertGlobalOptions::inputURL() const { return URL::fileURLWithPath(inputFile); }

URL ConvertGlobalOptions::outputURL() const { return URL::fileURLWithPath(outputFile); }

ImageBytes ConvertGlobalOptions::readInput() const { return fs::readWholeFile(inputURL()); }

void ConvertGlobalOptions::refuseOutputOverInput() const {
    if (fs::isSameFile(inputFile, outputFile)) {
        throw ValidationError("The output file is the input file: the converted image would replace the disk image.");
    }
}

std::string imageTypeLine(ImageFormat format) {
    return "Image type: " + std::string(rawValue(format)) + " (" + std::string(computerClass(format)) + ")";
}

}  // namespace zorv::cli
