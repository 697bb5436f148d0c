#pragma once

#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// Exit statuses of the process.
enum ExitStatus : int {
    successStatus = 0,        // the command ran, or help was shown
    failureStatus = 1,        // any error that is not a usage failure
    usageFailureStatus = 64,  // unknown option, missing or unexpected argument, bad value, failed validation
};

// A usage failure of one command: printed as "Error: ", the message, then the
// usage of that command.
class UsageError : public std::runtime_error {
public:
    UsageError(const ParsableCommand& command, const std::string& message)
        : std::runtime_error(message), command(&command) {}
    const ParsableCommand* command;
};

// A help flag was given: the help of `command` is printed.
struct HelpRequested {
    const ParsableCommand* command;
};

// The thin layer between the command tree and CLI11. CLI11 splits the
// arguments between the commands of the path; everything the user reads
// (help, usage, messages) and the exit statuses are this layer's:
// - Single-dash long names such as "-sM" are rewritten to their long names
//   ("--size-in-mb") before CLI11 sees the arguments, for the commands that
//   declare them; CLI11 takes no such names and, where "-s" exists too,
//   would read "-sM" as "-s M".
// - Each command on the path is decoded and then validated in turn, root
//   first: unknown options, unexpected and missing arguments and values that
//   do not convert are reported by the command they belong to.
// - "-h" and "--help" answer on every command, before any validation.
class CommandLine {
public:
    explicit CommandLine(ParsableCommand& root);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // Decodes the arguments (the process arguments less the program name)
    // into the commands and validates each command of the path, root first.
    // Returns the path, root first. Throws UsageError, HelpRequested, or
    // whatever a validation step throws besides ValidationError.
    std::vector<ParsableCommand*> parse(const std::vector<std::string>& arguments, std::ostream& out);

    // The whole process: parse and validate, then run the deepest command of
    // the path once. Help and the commands' output go to `out`, errors to
    // `err`. Returns the exit status. `out` is flushed after validation and
    // at the end; a write to it that throws (see DescriptorOutputBuffer)
    // fails the command as any other error, unless the command has already
    // failed for a reason of its own.
    int execute(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

    // "zorv create mac-device".
    std::string commandPath(const ParsableCommand& command) const;
    // "zorv create mac-device [<output-file>] [--size-in-mb <size-in-mb>] [--scsi-id <scsi-id>]".
    std::string usage(const ParsableCommand& command) const;
    // Overview, usage, arguments, options and subcommands, each help text
    // wrapped to 80 columns; ends with a line break.
    std::string help(const ParsableCommand& command) const;
    // What a usage failure prints on standard error.
    std::string usageFailureReport(const UsageError& error) const;

    // The arguments as CLI11 gets them: "-sM" and "-sB" (alone or with
    // "=value") turned into their long names where the command being decoded
    // declares them. Held back, and reported when that command is decoded:
    // such a name where the command does not declare it, a flag written with
    // "=value", and an option that ends the arguments without its value.
    std::vector<std::string> rewrittenArguments(const std::vector<std::string>& arguments) const;

private:
    struct Node;
    struct Tree;

    const Node& nodeFor(const ParsableCommand& command) const;
    // Also collects the failures found on the way, by command.
    std::vector<std::string> rewrite(const std::vector<std::string>& arguments,
                                     std::vector<std::pair<const Node*, std::string>>& failures) const;
    void decode(const Node& node, const std::vector<std::pair<const Node*, std::string>>& failures) const;

    std::unique_ptr<Tree> tree_;
};

// The text printed for an error that leaves the process with status 1, after
// "Error: ".
std::string errorDescription(const std::exception& error);

}  // namespace zorv::cli
