#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv::cli {

// The name the command line gives a type or a property: split into words at
// the case changes (a run of capitals is one word, "MB" in "sizeInMB"), in
// lower case, joined by "-". "MacDevice" gives "mac-device", "sizeInMB"
// "size-in-mb", "scsiID" "scsi-id", "ZORV" "zorv".
std::string kebabCaseName(std::string_view name);

// "-sM": a name written with one dash and more than one letter.
bool isSingleDashLongName(std::string_view name);

// A decimal integer as the command line takes it: an optional sign and digits,
// nothing else, within the signed 64-bit range.
std::optional<int64_t> parseInteger(std::string_view text);

// One positional argument, option or flag of a command, bound to a member of
// the command.
struct ArgumentDefinition {
    enum class Kind { positional, option, flag, invertibleFlag };

    Kind kind = Kind::positional;
    // The property's name in kebab case: "<input-file>" on the command line,
    // "--size-in-mb" for an option.
    std::string valueName;
    // Option and flag names in the order the help shows them: short names and
    // single-dash long names first ("-s", "-sM"), then the double-dash long
    // name. An invertible flag lists its enabling names, then
    // "--disable-<name>".
    std::vector<std::string> names;
    std::string help;
    bool isRequired = false;               // positional arguments only
    std::optional<std::string> defaultText;  // shown as "(default: ...)"

    // Stores a decoded value in the command; throws std::invalid_argument when
    // the text does not convert.
    std::function<void(const std::string&)> setValue;
    // Set for a transformed option: the error setValue throws is part of the
    // report.
    bool reportsValueError = false;
    // Stores a flag's state in the command.
    std::function<void(bool)> setFlag;

    // "--size-in-mb": the double-dash name the command line rewrites
    // single-dash long names to.
    std::string longName() const;
    // Names written with one dash and more than one letter ("-sM"): CLI11
    // does not take them, so they are rewritten to the long name first.
    std::vector<std::string> singleDashLongNames() const;
    // The names CLI11 parses: single letters after one dash and the long
    // names; an invertible flag's disabling name carries CLI11's "!".
    std::string cli11Names() const;
    bool takesValue() const { return kind == Kind::option; }

    // "<input-file>", "-s <scsi-id>", "--version": the form messages quote.
    std::string quotedForm() const;
    // The form in the usage line: "[<output-file>]", "[--scsi-id <scsi-id>]",
    // "[--enable-file-hierarchy|--disable-file-hierarchy]".
    std::string usageForm() const;
    // The label of the help's row: "-sM, --size-in-mb <size-in-mb>".
    std::string helpLabel() const;
};

// The arguments a command declares, in declaration order, which is the order
// of the usage line and of the help. Property names are given as the command
// names its members; the command line derives the names from them.
class Arguments {
public:
    // A required positional argument.
    void positional(std::string_view property, std::string help, std::string& target);
    // An optional positional argument: absent unless given.
    void positional(std::string_view property, std::string help, std::optional<std::string>& target);
    // An option with an integer value, named "--<property>" and by any of
    // `otherNames` ("-s", or a single-dash long name such as "-sM"). When
    // given more than once, the last value wins.
    void option(std::string_view property, std::vector<std::string> otherNames, std::string help,
                std::optional<int64_t>& target);
    // The same with a default value: the target's value, shown in the help.
    void option(std::string_view property, std::vector<std::string> otherNames, std::string help, int64_t& target);
    // An option with a text value, named "--<property>" and by any of
    // `otherNames`; absent unless given. When given more than once, the last
    // value wins.
    void option(std::string_view property, std::vector<std::string> otherNames, std::string help,
                std::optional<std::string>& target);
    // An option whose text `store` turns into the command's value while the
    // arguments are decoded. Whatever `store` throws refuses the value: the
    // report names the value and the option and appends the error's text
    // ("The value 'x' is invalid for '--partitions <partitions>': ...").
    void transformedOption(std::string_view property, std::vector<std::string> otherNames, std::string help,
                           std::function<void(const std::string&)> store);
    // A flag that sets the target.
    void flag(std::string_view property, std::vector<std::string> otherNames, std::string help, bool& target);
    // "--enable-<property>" (and `enableNames`, e.g. "-f") set the target,
    // "--disable-<property>" clears it; the last one given wins.
    void invertibleFlag(std::string_view property, std::vector<std::string> enableNames, std::string help,
                        bool& target);

    const std::vector<ArgumentDefinition>& definitions() const { return definitions_; }

private:
    static ArgumentDefinition named(ArgumentDefinition::Kind kind, std::string_view property,
                                    std::vector<std::string> otherNames, std::string help);

    std::vector<ArgumentDefinition> definitions_;
};

}  // namespace zorv::cli
