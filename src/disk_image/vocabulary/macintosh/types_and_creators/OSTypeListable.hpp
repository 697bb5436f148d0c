#pragma once

namespace zorv {

// Marks the tables keyed by four-character codes (types and creators).
struct OSTypeListable {};

}  // namespace zorv
