#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorv {

// What a ProDOS file type (and, for some types, the auxiliary type) says
// about the kind of file: a description for the reports and a classic
// three-letter file-name extension. The rows cover Apple II, Apple III and
// Apple IIGS files; their texts are kept exactly as the table has always
// listed them, misspellings and a cut-off text included.
struct ProDOSFileType {
    struct DescriptionRow {
        int64_t fileType;
        int64_t auxiliaryType;
        const char* text;
    };

    // Sorted by file type, then auxiliary type (ProDOSFileTypeTable.cpp).
    static const std::array<DescriptionRow, 313> descriptionRows;

    int64_t fileType = 0;    // 0 to 255
    int64_t auxilliary = 0;  // 0 to 65,535

    ProDOSFileType(int64_t fileType, int64_t auxilliary) : fileType(fileType), auxilliary(auxilliary) {}

    // The row of the pair; else the type's general row (auxiliary type 0);
    // else, for a type the table does not describe (146 types, and 0x46 but
    // for its one row), "ProDOS file type $XX".
    std::string description() const;
    // ".BAD", ".TXT", ".BIN", ".ADB", ".AWP", ".ASP", ".PAS", ".CMD", ".BAS",
    // ".VAR", ".REL" or ".SYS" for the twelve types that have one; empty for
    // the others.
    std::string fileExtension() const;
};

}  // namespace zorv
