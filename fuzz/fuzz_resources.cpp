// libFuzzer target over the resource fork decoders: the input is taken as a
// resource fork and read as tests/support/ResourceForkExercise says. The
// decoders never throw: any exception, crash, sanitizer report, hang or huge
// allocation is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "support/ResourceForkExercise.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        zorv::testing::exerciseResourceFork(zorv::ImageBytes(zorv::Bytes(data, data + size)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "resource fork decoders threw: %s\n", error.what());
        std::abort();
    }
    return 0;
}
