#include "cli/CommandLine.hpp"

#include <algorithm>
#include <map>
#include <ostream>
#include <stdexcept>

#include <CLI/CLI.hpp>

#include "cli/Arguments.hpp"

namespace zorv::cli {
namespace {

constexpr size_t helpWidth = 80;
constexpr size_t helpTextColumn = 26;
constexpr std::string_view helpFlagText = "Show help information.";

// Appends `text` to `output`, whose current line already reaches `column`,
// wrapping words at helpWidth and starting each further line at `indent`.
void appendWrapped(std::string& output, std::string_view text, size_t column, size_t indent) {
    bool lineHasWords = false;
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == ' ') {
            ++position;
            continue;
        }
        if (text[position] == '\n') {
            output += '\n';
            output.append(indent, ' ');
            column = indent;
            lineHasWords = false;
            ++position;
            continue;
        }
        size_t end = text.find_first_of(" \n", position);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(position, end - position);
        if (lineHasWords && column + 1 + word.size() > helpWidth) {
            output += '\n';
            output.append(indent, ' ');
            column = indent;
            lineHasWords = false;
        }
        if (lineHasWords) {
            output += ' ';
            ++column;
        }
        output += word;
        column += word.size();
        lineHasWords = true;
        position = end;
    }
}

// One row of a help section: the label from column 2, the text from
// helpTextColumn (on the next line when the label reaches it).
std::string helpRow(const std::string& label, const std::string& text) {
    std::string row = "  " + label;
    if (row.size() + 1 > helpTextColumn) {
        row += '\n';
        row.append(helpTextColumn, ' ');
    } else {
        row.append(helpTextColumn - row.size(), ' ');
    }
    appendWrapped(row, text, helpTextColumn, helpTextColumn);
    return row + '\n';
}

// What the command printed before it failed goes out as far as it can; a
// write that fails too is not reported, so that one failure is told once.
void flushAfterFailure(std::ostream& out) {
    try {
        out.flush();
    } catch (const std::exception&) {
    }
}

bool looksLikeOption(const std::string& token) {
    return token.size() > 1 && token[0] == '-' && !parseInteger(token);
}

}  // namespace

struct CommandLine::Node {
    ParsableCommand* command = nullptr;
    const Node* parent = nullptr;
    std::string name;
    std::string abstract;
    CLI::App* app = nullptr;
    Arguments arguments;
    std::vector<CLI::Option*> options;  // one per definition of `arguments`
    CLI::Option* helpOption = nullptr;
    std::vector<std::unique_ptr<Node>> children;

    const Node* child(const std::string& childName) const {
        for (const auto& node : children) {
            if (node->name == childName) return node.get();
        }
        return nullptr;
    }
};

struct CommandLine::Tree {
    CLI::App app;
    std::unique_ptr<Node> root;
    std::map<const ParsableCommand*, const Node*> nodeByCommand;
    std::map<const CLI::App*, const Node*> nodeByApp;
    std::vector<std::string> singleDashLongNames;  // of every command

    bool isSingleDashLongName(const std::string& token) const {
        return std::find(singleDashLongNames.begin(), singleDashLongNames.end(), token) != singleDashLongNames.end();
    }

    std::unique_ptr<Node> build(ParsableCommand& command, const Node* parent, CLI::App* commandApp) {
        auto node = std::make_unique<Node>();
        const auto configuration = command.configuration();
        node->command = &command;
        node->parent = parent;
        node->name = kebabCaseName(configuration.typeName);
        node->abstract = configuration.abstract;
        node->app = commandApp;
        command.declareArguments(node->arguments);

        // Unknown options and extra arguments stay with the command that met
        // them, which reports them in its own words.
        commandApp->allow_extras();
        for (const auto& definition : node->arguments.definitions()) {
            CLI::Option* option = nullptr;
            switch (definition.kind) {
                case ArgumentDefinition::Kind::positional:
                    option = commandApp->add_option(definition.valueName);
                    break;
                case ArgumentDefinition::Kind::option:
                    option = commandApp->add_option(definition.cli11Names());
                    break;
                case ArgumentDefinition::Kind::flag:
                case ArgumentDefinition::Kind::invertibleFlag:
                    option = commandApp->add_flag(definition.cli11Names());
                    break;
            }
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
            for (const auto& name : definition.singleDashLongNames()) singleDashLongNames.push_back(name);
            node->options.push_back(option);
        }
        node->helpOption = commandApp->add_flag("-h,--help");

        const auto subcommands = command.subcommands();
        // At most one subcommand: a later name is an argument, so a file
        // named "analyze" is a file.
        if (!subcommands.empty()) commandApp->require_subcommand(0, 1);
        for (ParsableCommand* subcommand : subcommands) {
            CLI::App* subcommandApp =
                commandApp->add_subcommand(kebabCaseName(subcommand->configuration().typeName));
            node->children.push_back(build(*subcommand, node.get(), subcommandApp));
        }
        nodeByCommand[&command] = node.get();
        nodeByApp[commandApp] = node.get();
        return node;
    }
};

CommandLine::CommandLine(ParsableCommand& root) : tree_(std::make_unique<Tree>()) {
    // CLI11's own help flag and its texts are replaced by the layer's.
    tree_->app.set_help_flag();
    tree_->app.name(kebabCaseName(root.configuration().typeName));
    tree_->root = tree_->build(root, nullptr, &tree_->app);
}

CommandLine::~CommandLine() = default;

const CommandLine::Node& CommandLine::nodeFor(const ParsableCommand& command) const {
    const auto found = tree_->nodeByCommand.find(&command);
    if (found == tree_->nodeByCommand.end()) throw std::logic_error("command outside the command tree");
    return *found->second;
}

std::vector<std::string> CommandLine::rewrite(const std::vector<std::string>& arguments,
                                              std::vector<std::pair<const Node*, std::string>>& failures) const {
    std::vector<std::string> result;
    const Node* node = tree_->root.get();
    const ArgumentDefinition* awaitingValue = nullptr;
    bool positionalOnly = false;
    for (const std::string& token : arguments) {
        if (positionalOnly) {
            result.push_back(token);
            continue;
        }
        if (awaitingValue != nullptr) {
            // CLI11 takes the next argument as the value, whatever it looks like.
            result.push_back(token);
            awaitingValue = nullptr;
            continue;
        }
        if (token == "--") {
            positionalOnly = true;
            result.push_back(token);
            continue;
        }
        if (const Node* child = node->child(token)) {
            node = child;
            result.push_back(token);
            continue;
        }
        std::optional<std::string> replacement;
        bool dropped = false;
        for (const auto& definition : node->arguments.definitions()) {
            if (definition.kind == ArgumentDefinition::Kind::positional) continue;
            for (const auto& name : definition.names) {
                const bool singleDashLong = isSingleDashLongName(name);
                if (definition.takesValue()) {
                    if (token == name) {
                        replacement = singleDashLong ? definition.longName() : token;
                        awaitingValue = &definition;
                    } else if (singleDashLong && token.starts_with(name + "=")) {
                        replacement = definition.longName() + token.substr(name.size());
                    }
                } else if (name.starts_with("--") && token.starts_with(name + "=")) {
                    failures.emplace_back(node, "The flag '" + name + "' does not take a value");
                    dropped = true;
                }
                if (replacement || dropped) break;
            }
            if (replacement || dropped) break;
        }
        if (!replacement && !dropped && tree_->isSingleDashLongName(token.substr(0, token.find('=')))) {
            // Declared by another command: here CLI11 would read "-sB" as "-s B".
            failures.emplace_back(node, "Unknown option '" + token + "'");
            dropped = true;
        }
        if (dropped) continue;
        result.push_back(replacement.value_or(token));
    }
    if (awaitingValue != nullptr) {
        // The option ends the arguments without its value.
        result.pop_back();
        failures.emplace_back(node, "Missing value for '" + awaitingValue->quotedForm() + "'");
    }
    return result;
}

std::vector<std::string> CommandLine::rewrittenArguments(const std::vector<std::string>& arguments) const {
    std::vector<std::pair<const Node*, std::string>> failures;
    return rewrite(arguments, failures);
}

void CommandLine::decode(const Node& node, const std::vector<std::pair<const Node*, std::string>>& failures) const {
    const ParsableCommand& command = *node.command;
    for (const auto& [failedNode, message] : failures) {
        if (failedNode == &node) throw UsageError(command, message);
    }
    for (const std::string& extra : node.app->remaining(false)) {
        if (extra == "--") continue;
        if (looksLikeOption(extra)) throw UsageError(command, "Unknown option '" + extra + "'");
        throw UsageError(command, "Unexpected argument '" + extra + "'");
    }
    const auto& definitions = node.arguments.definitions();
    for (size_t index = 0; index < definitions.size(); ++index) {
        const ArgumentDefinition& definition = definitions[index];
        const CLI::Option& option = *node.options[index];
        if (option.count() == 0 || option.results().empty()) {
            if (definition.isRequired) {
                throw UsageError(command, "Missing expected argument '" + definition.quotedForm() + "'");
            }
            continue;
        }
        switch (definition.kind) {
            case ArgumentDefinition::Kind::positional:
                definition.setValue(option.results().front());
                break;
            case ArgumentDefinition::Kind::option: {
                const std::string& text = option.results().back();
                const std::string refusal = "The value '" + text + "' is invalid for '" + definition.quotedForm() + "'";
                try {
                    definition.setValue(text);
                } catch (const std::exception& error) {
                    if (!definition.reportsValueError) throw UsageError(command, refusal);
                    throw UsageError(command, refusal + ": " + errorDescription(error));
                }
                break;
            }
            case ArgumentDefinition::Kind::flag:
                definition.setFlag(true);
                break;
            case ArgumentDefinition::Kind::invertibleFlag:
                // CLI11 records "false" for the disabling name; the last one wins.
                definition.setFlag(option.results().back() != "false");
                break;
        }
    }
}

std::vector<ParsableCommand*> CommandLine::parse(const std::vector<std::string>& arguments, std::ostream& out) {
    std::vector<std::pair<const Node*, std::string>> failures;
    std::vector<std::string> reversed = rewrite(arguments, failures);
    std::reverse(reversed.begin(), reversed.end());  // CLI11 takes them last first
    try {
        tree_->app.parse(reversed);
    } catch (const CLI::ParseError&) {
        // The layer leaves CLI11 nothing to refuse; should it still, its
        // wording stays out.
        throw UsageError(*tree_->root->command, "The arguments could not be read.");
    }

    std::vector<const Node*> path{tree_->root.get()};
    while (true) {
        const auto chosen = path.back()->app->get_subcommands();
        if (chosen.empty()) break;
        path.push_back(tree_->nodeByApp.at(chosen.front()));
    }
    for (const Node* node : path) {
        if (node->helpOption->count() > 0) throw HelpRequested{path.back()->command};
    }

    std::vector<ParsableCommand*> commands;
    for (const Node* node : path) {
        decode(*node, failures);
        try {
            node->command->validate(out);
        } catch (const ValidationError& error) {
            throw UsageError(*node->command, error.what());
        }
        commands.push_back(node->command);
    }
    return commands;
}

int CommandLine::execute(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ParsableCommand* running = nullptr;
    try {
        try {
            const auto path = parse(arguments, out);
            // What validation printed (an image type) goes out before the
            // run writes any file: output that cannot be written fails the
            // command before then.
            out.flush();
            running = path.back();
            running->run(out);
        } catch (const HelpRequested& request) {
            out << help(*request.command);
        } catch (const HelpRequest&) {
            out << help(*running);
        }
        // A stream that throws on a failed write (the process's standard
        // output does) fails the command here at the latest, with the
        // system's error below.
        out.flush();
        return successStatus;
    } catch (const UsageError& error) {
        flushAfterFailure(out);
        err << usageFailureReport(error);
        err.flush();
        return usageFailureStatus;
    } catch (const std::exception& error) {
        flushAfterFailure(out);
        err << "Error: " << errorDescription(error) << '\n';
        err.flush();
        return failureStatus;
    }
}

std::string CommandLine::commandPath(const ParsableCommand& command) const {
    std::vector<std::string> names;
    for (const Node* node = &nodeFor(command); node != nullptr; node = node->parent) names.push_back(node->name);
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty()) path += ' ';
        path += *name;
    }
    return path;
}

std::string CommandLine::usage(const ParsableCommand& command) const {
    const Node& node = nodeFor(command);
    std::string text = commandPath(command);
    for (const auto& definition : node.arguments.definitions()) text += " " + definition.usageForm();
    if (!node.children.empty()) text += " <subcommand>";
    return text;
}

std::string CommandLine::help(const ParsableCommand& command) const {
    const Node& node = nodeFor(command);
    std::string text = "OVERVIEW: ";
    appendWrapped(text, node.abstract, text.size(), 0);
    text += "\n\nUSAGE: " + usage(command) + "\n";

    std::string argumentRows;
    std::string optionRows;
    for (const auto& definition : node.arguments.definitions()) {
        std::string description = definition.help;
        if (definition.defaultText) description += " (default: " + *definition.defaultText + ")";
        if (definition.kind == ArgumentDefinition::Kind::positional) {
            argumentRows += helpRow(definition.helpLabel(), description);
        } else {
            optionRows += helpRow(definition.helpLabel(), description);
        }
    }
    optionRows += helpRow("-h, --help", std::string(helpFlagText));
    if (!argumentRows.empty()) text += "\nARGUMENTS:\n" + argumentRows;
    text += "\nOPTIONS:\n" + optionRows;
    if (!node.children.empty()) {
        text += "\nSUBCOMMANDS:\n";
        for (const auto& child : node.children) text += helpRow(child->name, child->abstract);
    }
    return text;
}

std::string CommandLine::usageFailureReport(const UsageError& error) const {
    return "Error: " + std::string(error.what()) + "\n" + "Usage: " + usage(*error.command) + "\n" + "  See '" +
           commandPath(*error.command) + " --help' for more information.\n";
}

std::string errorDescription(const std::exception& error) { return error.what(); }

}  // namespace zorv::cli
