#include "cli/CreateGlobalOptions.hpp"

#include "cli/Arguments.hpp"

namespace zorv::cli {

void CreateGlobalOptions::declareArguments(Arguments& arguments) {
    arguments.positional("outputFile",
                         "File name of the image. If you omit this argument, a proper name will be assigned "
                         "automatically.",
                         outputFile);
    arguments.option("sizeInMB", {"-sM"}, "Size in megabytes of the image.", sizeInMB);
}

}  // namespace zorv::cli
