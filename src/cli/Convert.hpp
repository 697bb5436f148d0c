#pragma once

#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"
#include "cli/ReplaceLido.hpp"
#include "cli/ToDevice.hpp"
#include "cli/ToVolume.hpp"

namespace zorv::cli {

// zorv convert: the three conversions. Alone, it prints its help.
class Convert : public ParsableCommand {
public:
    explicit Convert(const LibraryServices& library) : toDevice(library), toVolume(library), replaceLido(library) {}

    CommandConfiguration configuration() const override;
    std::vector<ParsableCommand*> subcommands() override { return {&toDevice, &toVolume, &replaceLido}; }
    void run(std::ostream&) override { throw HelpRequest{}; }

    ToDevice toDevice;
    ToVolume toVolume;
    ReplaceLido replaceLido;
};

}  // namespace zorv::cli
