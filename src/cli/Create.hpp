#pragma once

#include "cli/EmptyImage.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/MacDevice.hpp"
#include "cli/MacDevicePartitioned.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv create: the commands that write new image files. Alone, it prints
// its help.
class Create : public ParsableCommand {
public:
    explicit Create(const LibraryServices& library) : macDevice(library) {}

    CommandConfiguration configuration() const override;
    std::vector<ParsableCommand*> subcommands() override { return {&emptyImage, &macDevice, &macDevicePartitioned}; }
    void run(std::ostream&) override { throw HelpRequest{}; }

    EmptyImage emptyImage;
    MacDevice macDevice;
    MacDevicePartitioned macDevicePartitioned;
};

}  // namespace zorv::cli
