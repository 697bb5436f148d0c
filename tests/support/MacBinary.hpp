#pragma once

#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// A MacBinary II file: header (with its CRC), data fork and resource fork,
// each padded to 128 bytes. hcopy -m turns it into an HFS file with both
// forks, its codes, Finder flags and dates.
Bytes macBinary(const std::string& name, const std::string& type, const std::string& creator, int64_t finderFlags,
                const Bytes& data, const Bytes& resource);

}  // namespace zorv::testing
