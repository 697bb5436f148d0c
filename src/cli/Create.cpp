#include "cli/Create.hpp"

namespace zorv::cli {

CommandConfiguration Create::configuration() const { return {"Create", "Create a brand new disk image."}; }

}  // namespace zorv::cli
