#pragma once

#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// Reads the bytes as a resource fork: its map, every resource's contents
// looked up again by type and number, and the resources that have a decoder
// decoded: colour tables ("clut", the system palette among them) and icons
// ("SICN", and "icl8" against the system palette and against the fork's first
// colour table: every icon against every table would make the work itself
// quadratic in the fork's size). The decoders never throw.
//
// Shared by the libFuzzer target over resource forks (fuzz/) and the replay
// of its findings (tests/data/fuzz-regressions/).
void exerciseResourceFork(const ImageBytes& bytes);

}  // namespace zorv::testing
