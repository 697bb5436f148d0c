#include "cli/Arguments.hpp"

#include <cctype>
#include <charconv>
#include <stdexcept>

namespace zorv::cli {
namespace {

bool isUpper(char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; }
bool isLowerOrDigit(char c) {
    return std::islower(static_cast<unsigned char>(c)) != 0 || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

int64_t integerValue(const std::string& text) {
    const auto value = parseInteger(text);
    if (!value) throw std::invalid_argument(text);
    return *value;
}

}  // namespace

std::string kebabCaseName(std::string_view name) {
    std::string result;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i > 0 && isUpper(c)) {
            const bool afterLower = isLowerOrDigit(name[i - 1]);
            // The last capital of a run starts the next word: "HFSVolume".
            const bool endsCapitalRun = isUpper(name[i - 1]) && i + 1 < name.size() &&
                                        std::islower(static_cast<unsigned char>(name[i + 1])) != 0;
            if (afterLower || endsCapitalRun) result += '-';
        }
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

bool isSingleDashLongName(std::string_view name) { return name.size() > 2 && name[0] == '-' && name[1] != '-'; }

std::optional<int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string ArgumentDefinition::longName() const {
    if (kind == Kind::invertibleFlag) return "--enable-" + valueName;
    return "--" + valueName;
}

std::vector<std::string> ArgumentDefinition::singleDashLongNames() const {
    std::vector<std::string> result;
    for (const auto& name : names) {
        if (isSingleDashLongName(name)) result.push_back(name);
    }
    return result;
}

std::string ArgumentDefinition::cli11Names() const {
    std::vector<std::string> parsed;
    for (const auto& name : names) {
        if (isSingleDashLongName(name)) continue;
        if (kind == Kind::invertibleFlag && name == "--disable-" + valueName) {
            parsed.push_back("!" + name);
        } else {
            parsed.push_back(name);
        }
    }
    return joined(parsed, ",");
}

std::string ArgumentDefinition::quotedForm() const {
    switch (kind) {
        case Kind::positional: return "<" + valueName + ">";
        case Kind::option: return names.front() + " <" + valueName + ">";
        case Kind::flag:
        case Kind::invertibleFlag: return names.front();
    }
    return valueName;
}

std::string ArgumentDefinition::usageForm() const {
    switch (kind) {
        case Kind::positional: return isRequired ? "<" + valueName + ">" : "[<" + valueName + ">]";
        case Kind::option: return "[" + longName() + " <" + valueName + ">]";
        case Kind::flag: return "[" + longName() + "]";
        case Kind::invertibleFlag: return "[--enable-" + valueName + "|--disable-" + valueName + "]";
    }
    return valueName;
}

std::string ArgumentDefinition::helpLabel() const {
    switch (kind) {
        case Kind::positional: return "<" + valueName + ">";
        case Kind::option: return joined(names, ", ") + " <" + valueName + ">";
        case Kind::flag: return joined(names, ", ");
        case Kind::invertibleFlag: {
            std::vector<std::string> enabling(names.begin(), names.end() - 1);
            return joined(enabling, ", ") + "/" + names.back();
        }
    }
    return valueName;
}

// An option or flag called by its property's long name and the other names given.
ArgumentDefinition Arguments::named(ArgumentDefinition::Kind kind, std::string_view property,
                                    std::vector<std::string> otherNames, std::string help) {
    ArgumentDefinition definition;
    definition.kind = kind;
    definition.valueName = kebabCaseName(property);
    definition.names = std::move(otherNames);
    definition.names.push_back("--" + definition.valueName);
    definition.help = std::move(help);
    return definition;
}

void Arguments::positional(std::string_view property, std::string help, std::string& target) {
    ArgumentDefinition definition;
    definition.kind = ArgumentDefinition::Kind::positional;
    definition.valueName = kebabCaseName(property);
    definition.help = std::move(help);
    definition.isRequired = true;
    definition.setValue = [&target](const std::string& text) { target = text; };
    definitions_.push_back(std::move(definition));
}

void Arguments::positional(std::string_view property, std::string help, std::optional<std::string>& target) {
    ArgumentDefinition definition;
    definition.kind = ArgumentDefinition::Kind::positional;
    definition.valueName = kebabCaseName(property);
    definition.help = std::move(help);
    definition.setValue = [&target](const std::string& text) { target = text; };
    definitions_.push_back(std::move(definition));
}

void Arguments::option(std::string_view property, std::vector<std::string> otherNames, std::string help,
                       std::optional<int64_t>& target) {
    ArgumentDefinition definition = named(ArgumentDefinition::Kind::option, property, std::move(otherNames), std::move(help));
    definition.setValue = [&target](const std::string& text) { target = integerValue(text); };
    definitions_.push_back(std::move(definition));
}

void Arguments::option(std::string_view property, std::vector<std::string> otherNames, std::string help,
                       int64_t& target) {
    ArgumentDefinition definition = named(ArgumentDefinition::Kind::option, property, std::move(otherNames), std::move(help));
    definition.defaultText = std::to_string(target);
    definition.setValue = [&target](const std::string& text) { target = integerValue(text); };
    definitions_.push_back(std::move(definition));
}

void Arguments::option(std::string_view property, std::vector<std::string> otherNames, std::string help,
                       std::optional<std::string>& target) {
    ArgumentDefinition definition = named(ArgumentDefinition::Kind::option, property, std::move(otherNames), std::move(help));
    definition.setValue = [&target](const std::string& text) { target = text; };
    definitions_.push_back(std::move(definition));
}

void Arguments::transformedOption(std::string_view property, std::vector<std::string> otherNames, std::string help,
                                  std::function<void(const std::string&)> store) {
    ArgumentDefinition definition = named(ArgumentDefinition::Kind::option, property, std::move(otherNames), std::move(help));
    definition.setValue = std::move(store);
    definition.reportsValueError = true;
    definitions_.push_back(std::move(definition));
}

void Arguments::flag(std::string_view property, std::vector<std::string> otherNames, std::string help, bool& target) {
    ArgumentDefinition definition = named(ArgumentDefinition::Kind::flag, property, std::move(otherNames), std::move(help));
    definition.setFlag = [&target](bool value) { target = value; };
    definitions_.push_back(std::move(definition));
}

void Arguments::invertibleFlag(std::string_view property, std::vector<std::string> enableNames, std::string help,
                               bool& target) {
    ArgumentDefinition definition;
    definition.kind = ArgumentDefinition::Kind::invertibleFlag;
    definition.valueName = kebabCaseName(property);
    definition.names = std::move(enableNames);
    definition.names.push_back("--enable-" + definition.valueName);
    definition.names.push_back("--disable-" + definition.valueName);
    definition.help = std::move(help);
    definition.defaultText = target ? "--enable-" + definition.valueName : "--disable-" + definition.valueName;
    definition.setFlag = [&target](bool value) { target = value; };
    definitions_.push_back(std::move(definition));
}

}  // namespace zorv::cli
