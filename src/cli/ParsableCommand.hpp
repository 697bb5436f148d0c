#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorv::cli {

class Arguments;

// What the help and the error reports say about a command. The command name
// is derived from the type name (kebabCaseName), as every command of the
// tree is named.
struct CommandConfiguration {
    std::string typeName;  // e.g. "MacDevice", named on the command line "mac-device"
    std::string abstract;
};

// One command of the tree: the root, a group or a leaf. The command line
// decodes each command on the path in turn (root first), calling its
// validate() right after decoding it; then it calls run() of the deepest
// command once.
//
// A command declares its positional arguments, options and flags on an
// Arguments value, bound to its own members, in the order the help lists them.
class ParsableCommand {
public:
    ParsableCommand() = default;
    // Declared arguments are bound to the members: a command stays in place.
    ParsableCommand(const ParsableCommand&) = delete;
    ParsableCommand& operator=(const ParsableCommand&) = delete;
    virtual ~ParsableCommand() = default;

    virtual CommandConfiguration configuration() const = 0;
    virtual void declareArguments(Arguments& /*arguments*/) {}
    // Subcommands in the order of the help; the command owns them.
    virtual std::vector<ParsableCommand*> subcommands() { return {}; }

    // Checks the decoded options before anything is read or written. A check
    // that fails throws ValidationError with its fixed message; the first
    // failure ends the validation. Any other error leaves as a plain failure.
    virtual void validate(std::ostream& /*out*/) {}
    // The command's work. Root and group commands throw HelpRequest.
    virtual void run(std::ostream& out) = 0;
};

// A failed check of a command's options: printed as "Error: " and the message,
// then the command's usage, status 64.
class ValidationError : public std::runtime_error {
public:
    explicit ValidationError(const std::string& message) : std::runtime_error(message) {}
};

// Thrown by a run step to end the process cleanly with the help of the
// command that runs (status 0).
struct HelpRequest {};

}  // namespace zorv::cli
