#include "disk_image/parser/ImageParser.hpp"

#include <algorithm>
#include <utility>

#include "disk_image/model/ImageWrapperRepresentableError.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/AnalysisTextReport.hpp"
#include "disk_image/parser/FormatProbes.hpp"

namespace zorv {
namespace {

// The file URL of bytes that come from no file.
URL noFile() { return URL::fileURLWithPath(""); }

bool isAllZero(const ImageBytes& image) {
    return std::all_of(image.begin(), image.end(), [](uint8_t byte) { return byte == 0; });
}

}  // namespace

ImageParser::ImageParser(const ImageBytes& imageData, const URL& fileURL) : ImageParser(imageData, fileURL, 0) {}

ImageParser::ImageParser(const ImageBytes& imageData) : ImageParser(imageData, noFile(), 0) {}

ImageParser::ImageParser(const ImageBytes& imageData, const URL& fileURL, int containerDepth)
    : diskImageFileURL_(fileURL) {
    detect(imageData, containerDepth);
}

// The detection order. Each step either settles the format and returns,
// throws, or lets the next step run.
void ImageParser::detect(const ImageBytes& image, int containerDepth) {
    using Probes = FormatProbes;
    imageSizeInBytes_ = static_cast<int64_t>(image.size());
    if (imageSizeInBytes_ < minimumImageSize) {
        // hmsa packs a blank floppy into 529 bytes (one side) or 1,009 (two):
        // the floppy inside is what has to be long enough.
        if (auto unwrapped = Probes::unwrapMSA(image)) {
            return takeContents(image, unwrapped->contents, unwrapped->wrapper, false, containerDepth);
        }
        throw ImageParserError(ImageParserError::Case::nonParseableImage);
    }

    if (auto device = Probes::probeMacintoshDevice(image)) return recordDevice(ImageFormat::macintoshDevice, device);
    if (auto device = Probes::probeAmigaHardDisk(image)) return recordDevice(ImageFormat::amigaHardDisk, device);

    if (auto unwrapped = Probes::unwrap2IMG(image)) {
        return takeContents(image, unwrapped->contents, unwrapped->wrapper, true, containerDepth);
    }
    if (auto unwrapped = Probes::unwrapDiskCopy42(image)) {
        return takeContents(image, unwrapped->contents, unwrapped->wrapper, true, containerDepth);
    }
    if (Probes::isNDIF(diskImageFileURL_, image)) throw ImageParserError::noParsingForType("NDIF (Disk Copy 6.3)");

    for (const auto probe : {Probes::probeMFS, Probes::probeHFS, Probes::probeHFSPlus, Probes::probeProDOS,
                             Probes::probeDOS33, Probes::probeADF}) {
        if (auto probed = probe(image)) return recordVolume(probed->format, std::move(probed->volume));
    }

    // An image that starts like an MSA file is never tried as a bare floppy.
    if (auto unwrapped = Probes::unwrapMSA(image)) {
        return takeContents(image, unwrapped->contents, unwrapped->wrapper, false, containerDepth);
    }
    if (auto probed = Probes::probeTOS(image)) return recordVolume(probed->format, std::move(probed->volume));

    if (auto models = Probes::probeMacintoshROM(image)) throw ImageParserError::macROMDetected(std::move(*models));
    if (isAllZero(image)) {
        imageFormat_ = ImageFormat::emptyVolume;
        return;
    }
    throw ImageParserError(ImageParserError::Case::unknownVolumeType);
}

void ImageParser::recordDevice(ImageFormat format, std::shared_ptr<const DeviceRepresentable> device) {
    imageFormat_ = format;
    imageCandidates_.emplace_back(device);
    if (imageCandidates_.size() > 1) throw ImageParserError(ImageParserError::Case::multipleCandidates);
    device_ = std::move(device);
}

void ImageParser::recordVolume(ImageFormat format, std::shared_ptr<VolumeRepresentable> volume) {
    imageFormat_ = format;
    imageCandidates_.emplace_back(std::shared_ptr<const VolumeRepresentable>(volume));
    if (imageCandidates_.size() > 1) throw ImageParserError(ImageParserError::Case::multipleCandidates);
    volume_ = std::move(volume);
}

void ImageParser::takeContents(const ImageBytes& container, const ImageBytes& contents,
                               std::shared_ptr<const ImageWrapperRepresentable> wrapper, bool mustShrink,
                               int containerDepth) {
    // A container that claims to hold itself (or more) would be opened
    // again and again.
    if (mustShrink && contents.size() >= container.size()) {
        throw ImageWrapperRepresentableError(ImageWrapperRepresentableError::Case::invalidImageLength);
    }
    if (containerDepth >= maxContainerNesting) throw ImageParserError(ImageParserError::Case::unknownVolumeType);

    ImageParser inner(contents, diskImageFileURL_, containerDepth + 1);
    imageFormat_ = inner.imageFormat_;
    imageSizeInBytes_ = inner.imageSizeInBytes_;
    diskImageFileURL_ = inner.diskImageFileURL_;
    volume_ = std::move(inner.volume_);
    // Set on the way out of every level, so the outermost container stays.
    if (volume_) volume_->setWrapper(std::move(wrapper));
}

int64_t ImageParser::imageSizeInBlocks() const { return analysis().sizeInBlocks(); }

ImageAnalysis ImageParser::analysis() const { return {imageFormat_, imageSizeInBytes_, device_, volume_}; }

std::string ImageParser::textualDescription(bool verbose) const {
    return AnalysisTextReport::text(analysis(), verbose);
}

CodableResult ImageParser::codableResult(bool verbose) const { return analysis().codableResult(verbose); }

void ImageParser::writeJSONReport(bool verbose, std::ostream& out) const {
    AnalysisJSONEncoder::write(analysis(), verbose, out);
}

}  // namespace zorv
