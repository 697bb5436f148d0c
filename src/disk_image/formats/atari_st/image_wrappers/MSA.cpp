#include "disk_image/formats/atari_st/image_wrappers/MSA.hpp"

#include <algorithm>

#include "data_access/Errors.hpp"
#include "disk_image/formats/atari_st/MSAReaderBlock.hpp"
#include "disk_image/formats/atari_st/image_wrappers/MSAError.hpp"

namespace zorv {

MSA::MSA(const ImageBytes& data) {
    MSAReaderBlock reader(data);
    try {
        reader.getAndCheckSignature(MSASignature, MSAError(MSAError::Case::invalidSignature));
        const int64_t sectorsPerTrack = reader.getInteger();
        const int64_t sides = reader.getInteger() + 1;
        const int64_t firstTrack = reader.getInteger();
        const int64_t lastTrack = reader.getInteger();
        if (sides > maximumSides || sectorsPerTrack > maximumSectorsPerTrack || lastTrack > maximumLastTrack) {
            throw MSAError(MSAError::Case::invalidGeometry);
        }
        const int64_t trackSize = sectorsPerTrack * 512;
        const int64_t expectedSize = (lastTrack - firstTrack + 1) * sides * trackSize;

        Bytes floppy;
        while (static_cast<int64_t>(floppy.size()) < expectedSize) {
            const int64_t length = reader.getInteger();
            if (length == trackSize) {
                const ImageBytes track = reader.getDataBlock(length);
                floppy.insert(floppy.end(), track.begin(), track.end());
            } else {
                const Bytes track = reader.getCompressedTrack(length, trackSize);
                floppy.insert(floppy.end(), track.begin(), track.end());
            }
        }
        decompressedData = ImageBytes(std::move(floppy));
    } catch (const ReadPastEndError&) {
        throw MSAError(MSAError::Case::truncatedImage);
    }
}

bool MSA::isPossiblyMSA(ByteView image) {
    return image.size() >= MSASignature.size() && std::equal(MSASignature.begin(), MSASignature.end(), image.begin());
}

ImageBytes MSA::extractedImage(const ImageBytes& image) { return MSA(image).decompressedData; }

std::string MSA::helpfulDescription() const {
    return "This is an Atari ST floppy image, in the compressed MSA (Magic Shadow Archiver) format.";
}

}  // namespace zorv
