#pragma once

namespace zorv {

// The computer family a device image is meant for.
enum class SupportedOS { apple, appleII, amiga, macintosh, other };

// The family's name for the report: "Non-Macintosh Apple", "Apple II",
// "Amiga", "Macintosh" or "Other".
const char* descriptiveName(SupportedOS os);

}  // namespace zorv
