#pragma once

#include <concepts>
#include <optional>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// A format model that can be recognised in an image's bytes. Every such type
// offers a static factory that builds it from the whole image, or answers an
// empty optional when the bytes are not of its format:
//
//     static std::optional<HFSVolume> fromImageData(const ImageBytes& imageData);
//
// The factory never says why it declined, and it does not throw: a format
// that parses with throwing constructors catches their errors there. Format
// detection still treats a thrown error like an empty answer, so a factory
// that lets one through only costs the caller the exception.
//
// The rule is checked at compile time; no virtual base is involved, since the
// factory is the only thing the types have in common.
template <typename T>
concept ImageRepresentable = requires(const ImageBytes& imageData) {
    { T::fromImageData(imageData) } -> std::same_as<std::optional<T>>;
};

}  // namespace zorv
