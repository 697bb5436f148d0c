#pragma once

#include <exception>

#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// True for the errors the library raises on a damaged image (an error
// enumeration, a read past the end, an overflowing size, a value it cannot
// represent): a clean refusal, unlike any other exception.
bool isOwnError(const std::exception_ptr& error);

// Asks an image everything `analyze -f` and the conversions ask of it:
// detection, both reports (text and JSON) with the file hierarchy, both forks
// of every item of the volume, and the same of each partition's volume of a
// device, with the partitions' own answers and the sector views of a disk laid
// out in tracks. Each step that throws one of the library's own errors ends
// that step only (detection ends everything); any other exception passes.
//
// Shared by the libFuzzer target over whole images (fuzz/) and the replay of
// its findings (tests/data/fuzz-regressions/), so that both run the same path.
void exerciseImage(const ImageBytes& image);

}  // namespace zorv::testing
