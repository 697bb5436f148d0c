#pragma once

#include <cstdint>
#include <optional>

#include "cli/CreateGlobalOptions.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv create empty-image: a file of the given size full of zero bytes.
class EmptyImage : public ParsableCommand {
public:
    static constexpr const char* defaultFileName = "untitled.img";

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    CreateGlobalOptions createOptions;
    std::optional<int64_t> sizeInBytes;
};

}  // namespace zorv::cli
