#include "cli/EmptyImage.hpp"

#include "cli/Arguments.hpp"
#include "cli/ImageSizeChecks.hpp"
#include "cli/ZORVError.hpp"
#include "disk_image/blocks/PhysicalBlockFile.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {

CommandConfiguration EmptyImage::configuration() const {
    return {"EmptyImage", "Creates an empty image, full of zeroes."};
}

void EmptyImage::declareArguments(Arguments& arguments) {
    createOptions.declareArguments(arguments);
    arguments.option("sizeInBytes", {"-sB"}, "Size in bytes of the image.", sizeInBytes);
}

void EmptyImage::validate(std::ostream&) {
    if (!sizeInBytes && !createOptions.sizeInMB) {
        throw ValidationError(
            "You must specify a capacity for your image, using either -sB for a size in bytes or -sM for a size in "
            "megabytes");
    }
    if (auto failure = image_size::emptyImageFailure(sizeInBytes, createOptions.sizeInMB)) {
        throw ValidationError(*failure);
    }
}

void EmptyImage::run(std::ostream&) {
    const URL fileURL = URL::fileURLWithPath(createOptions.outputFile.value_or(defaultFileName));
    // The size in bytes wins over the size in megabytes.
    int64_t size = 0;
    if (sizeInBytes) {
        size = *sizeInBytes;
    } else if (createOptions.sizeInMB) {
        size = *createOptions.sizeInMB * image_size::bytesPerMegabyte;
    } else {
        throw ZORVError(ZORVError::Case::noSizeSpec);
    }
    // No blocks queued: the file is written full of zeros.
    PhysicalBlockFile file(fileURL, size, image_size::blockSize);
    file.generateFile(true);
}

}  // namespace zorv::cli
