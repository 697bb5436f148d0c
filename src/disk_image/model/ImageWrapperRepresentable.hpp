#pragma once

#include <concepts>
#include <string>

#include "data_access/ImageBytes.hpp"
#include "disk_image/model/ImageWrapperRepresentableError.hpp"

namespace zorv {

// A container around a bare volume (Disk Copy 4.2, NDIF, 2IMG, MSA). A volume
// taken out of one keeps it as its `wrapper` so that the report can name it.
class ImageWrapperRepresentable {
public:
    virtual ~ImageWrapperRepresentable() = default;

    // The container format's name for the report ("Disk Copy", "2MG"...).
    virtual std::string descriptiveName() const = 0;
    // A sentence or two about the container, for the report.
    virtual std::string helpfulDescription() const = 0;
};

// Each container type also unpacks its bytes with a static operation,
// checked at compile time:
//
//     static ImageBytes extractedImage(const ImageBytes& container);
//
// which answers the bare volume's bytes (a slice of the container where the
// volume is stored as is) and throws ImageWrapperRepresentableError when the
// container cannot give them.
template <typename T>
concept ExtractableImageWrapper =
    std::derived_from<T, ImageWrapperRepresentable> && requires(const ImageBytes& container) {
        { T::extractedImage(container) } -> std::convertible_to<ImageBytes>;
    };

}  // namespace zorv
