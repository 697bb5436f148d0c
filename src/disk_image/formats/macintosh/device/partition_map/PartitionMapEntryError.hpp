#pragma once

#include <string>
#include <string_view>

#include "data_access/Errors.hpp"

namespace zorv {

// Why a block is not a partition map entry the program can use.
class PartitionMapEntryError : public EnumeratedError {
public:
    enum class Case {
        invalidPartitionMapSignature,  // the block does not begin with "PM"
        unknownPartitionType,          // the type string names no PartitionType; carries it as read
    };

    explicit PartitionMapEntryError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}
    PartitionMapEntryError(Case errorCase, std::string_view typeString)
        : EnumeratedError(caseName(errorCase), typeString), errorCase(errorCase), typeString(typeString) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    // unknownPartitionType: the entry's pmParType.
    std::string typeString;

    friend bool operator==(const PartitionMapEntryError& a, const PartitionMapEntryError& b) {
        return a.errorCase == b.errorCase && a.typeString == b.typeString;
    }
};

}  // namespace zorv
