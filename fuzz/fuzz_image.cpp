// libFuzzer target over whole images: the bytes are an image file as
// `analyze -f` reads it. Detection, both reports with the file hierarchy, both
// forks of every item, each partition's volume of a device. A clean refusal
// (the library's own errors) is fine; any other exception, a crash, a
// sanitizer report, a hang or a huge allocation is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "data_access/ImageBytes.hpp"
#include "support/ImageExercise.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        // libFuzzer hands over a buffer of exactly `size` bytes, so the
        // sanitizer catches a read one byte past the end.
        zorv::testing::exerciseImage(zorv::ImageBytes::external(nullptr, data, size));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "foreign exception: %s\n", error.what());
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "foreign exception of no std::exception type\n");
        std::abort();
    }
    return 0;
}
