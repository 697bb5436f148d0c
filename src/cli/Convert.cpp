#include "cli/Convert.hpp"

namespace zorv::cli {

CommandConfiguration Convert::configuration() const { return {"Convert", "Convert your disk image to another type."}; }

}  // namespace zorv::cli
