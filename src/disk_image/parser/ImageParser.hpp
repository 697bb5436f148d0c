#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/CodableResult.hpp"
#include "disk_image/parser/ImageAnalysis.hpp"
#include "disk_image/parser/ImageFormat.hpp"
#include "disk_image/parser/ImageParserError.hpp"
#include "platform/URL.hpp"

namespace zorv {

// What an image file is, worked out from its bytes: a device (with its
// partitions and their volumes), a bare volume (possibly taken out of a
// container, which it then names as its wrapper), or an image of nothing but
// zeros. The one place that knows every format; it builds the text and JSON
// analysis reports from what it found.
//
// Detection tries the formats in one fixed order and keeps the first that
// accepts the bytes:
//   1. fewer than 1,024 bytes: nonParseableImage, unless an MSA file (an
//      MSA file of a blank floppy is smaller), which goes straight to 13;
//   2. Macintosh device;  3. Amiga hard disk;
//   4. 2IMG container;  5. Disk Copy 4.2 image (bytes 82-83 are 01 00);
//   6. NDIF image (by the host file's codes): noParsingForType;
//   7. MFS;  8. HFS (an HFS wrapper around HFS+: the HFS+ volume);  9. HFS+;
//   10. ProDOS;  11. DOS 3.3;  12. Amiga volume;
//   13. MSA file, else 14. Atari ST floppy;
//   15. Macintosh ROM file: macROMDetected;
//   16. every byte zero: "Empty Volume"; anything else: unknownVolumeType.
// A container's contents are detected again with the same file URL; the
// outer parser takes their format, size and volume (not a device) and sets
// the volume's wrapper to the container. Containers nest at most
// maxContainerNesting deep: contents past that are unknownVolumeType. A 2IMG
// or Disk Copy container must hold less than itself.
//
// A parser never changes once made. It shares the image's bytes with the
// models it holds.
class ImageParser {
public:
    using ImageFormat = zorv::ImageFormat;
    using CodableResult = zorv::CodableResult;
    // A model that accepted the bytes.
    using ImageCandidate =
        std::variant<std::shared_ptr<const DeviceRepresentable>, std::shared_ptr<const VolumeRepresentable>>;

    // Images shorter than this are refused outright, but for MSA files,
    // whose contents must then be as long.
    static constexpr int64_t minimumImageSize = 1024;
    // How many containers detection opens one inside the other.
    static constexpr int maxContainerNesting = 4;

    // Detects the image. `fileURL` is where the bytes came from; the NDIF
    // test reads the HFS codes the host keeps for that file. Throws
    // ImageParserError, and the errors of unpacking a container and of
    // extracting an HFS+ volume from its HFS wrapper.
    ImageParser(const ImageBytes& imageData, const URL& fileURL);
    // The same for bytes with no file: a file URL with an empty path.
    explicit ImageParser(const ImageBytes& imageData);

    ImageFormat imageFormat() const { return imageFormat_; }
    // The model recorded by a direct detection (one); empty after an
    // unwrapped one and for an empty volume.
    const std::vector<ImageCandidate>& imageCandidates() const { return imageCandidates_; }
    const URL& diskImageFileURL() const { return diskImageFileURL_; }
    // The bytes of the image, or of a container's contents.
    int64_t imageSizeInBytes() const { return imageSizeInBytes_; }
    // imageSizeInBytes() in whole blocks of the format; 0 for "Empty
    // Volume", whose block size is 0.
    int64_t imageSizeInBlocks() const;
    // The device of a partitioned device image found directly; null
    // otherwise (a device inside a container is not kept).
    std::shared_ptr<const DeviceRepresentable> device() const { return device_; }
    // The volume of a bare volume image; null otherwise.
    std::shared_ptr<const VolumeRepresentable> volume() const { return volume_; }

    // What the reports are made of.
    ImageAnalysis analysis() const;
    // The text report (AnalysisTextReport); `verbose` adds every volume's
    // file hierarchy and the volumes of a device's partitions.
    std::string textualDescription(bool verbose) const;
    // The record of the JSON report (AnalysisJSONEncoder encodes it).
    CodableResult codableResult(bool verbose) const;
    // The JSON report, written as it is produced (AnalysisJSONEncoder::write).
    void writeJSONReport(bool verbose, std::ostream& out) const;

private:
    ImageParser(const ImageBytes& imageData, const URL& fileURL, int containerDepth);

    void detect(const ImageBytes& image, int containerDepth);
    void recordDevice(ImageFormat format, std::shared_ptr<const DeviceRepresentable> device);
    void recordVolume(ImageFormat format, std::shared_ptr<VolumeRepresentable> volume);
    // Detects a container's contents and takes the inner parser's findings.
    // `mustShrink`: the contents must be smaller than the container.
    void takeContents(const ImageBytes& container, const ImageBytes& contents,
                      std::shared_ptr<const ImageWrapperRepresentable> wrapper, bool mustShrink, int containerDepth);

    ImageFormat imageFormat_ = ImageFormat::emptyVolume;
    std::vector<ImageCandidate> imageCandidates_;
    URL diskImageFileURL_;
    int64_t imageSizeInBytes_ = 0;
    std::shared_ptr<const DeviceRepresentable> device_;
    // Held writable while detection sets its wrapper.
    std::shared_ptr<VolumeRepresentable> volume_;
};

}  // namespace zorv
