#pragma once

#include <string>

#include "remote_image/Manifest.hpp"

namespace zorv::cli {

// What `create mac-device-partitioned --list-premade` prints: "Premade
// Images:", then one summary line per set of the manifest's sortedSets():
//
//   "sys-fr": System (2 volumes)
//
// The detailed listing (--list-premade-detailed) puts before each set a rule
// of 80 hyphens and an empty line, one floppy-disk emoji and a space per
// volume before the summary, and after it the computer class, the language,
// the description and the supported machines, each block followed by an
// empty line. Fields are printed as the manifest gives them. The text is
// UTF-8 and every line ends with a line feed.
std::string premadeListing(const Manifest& manifest, bool detailed);

}  // namespace zorv::cli
