#pragma once

namespace zorv {

// Which fork of a file is meant: classic Macintosh files have a data fork and
// a resource fork; the other formats only ever answer the data fork.
enum class ForkType { data, resource };

}  // namespace zorv
