#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cli/ParsableCommand.hpp"
#include "cli/PartitionDefinition.hpp"
#include "remote_image/JSONDecodingError.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::cli {
namespace {

using testing::TemporaryDirectory;

std::vector<PartitionDefinition> decoded(const std::string& text) {
    return decodePartitionLayout(ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

PartitionDefinition blank(std::optional<int64_t> hfs, std::optional<int64_t> proDOS) {
    PartitionDefinition definition;
    definition.blankHFS = hfs;
    definition.blankProDOS = proDOS;
    return definition;
}

PartitionDefinition premade(const std::string& reference) {
    PartitionDefinition definition;
    definition.premade = reference;
    return definition;
}

TEST(PartitionDefinitionTest, DecodesLayouts) {
    PartitionDefinition everything = premade("sys-fr");
    everything.localFile = URL::fileURLWithPath("/images/disk.hda");
    everything.blankHFS = 10;
    everything.blankProDOS = 5;

    const std::vector<std::pair<std::string, std::vector<PartitionDefinition>>> cases{
        {"[]", {}},
        {"[{}]", {PartitionDefinition{}}},
        {R"([{"blankHFS": null}])", {PartitionDefinition{}}},
        {R"([{"premade": null, "localFile": null, "blankHFS": null, "blankProDOS": null}])", {PartitionDefinition{}}},
        // Keys are case-sensitive; other keys are ignored, whatever they hold.
        {R"([{"blankHfs": 10, "PREMADE": 3, "comment": [1, {"x": true}]}])", {PartitionDefinition{}}},
        {R"([{"blankHFS": 10, "blankProDOS": 5}])", {blank(10, 5)}},
        {R"([{"blankProDOS": 5}, {"blankHFS": 10}])", {blank(std::nullopt, 5), blank(10, std::nullopt)}},
        {R"([{"blankProDOS": 5, "blankHFS": 10, "premade": "sys-fr", "localFile": "/images/disk.hda"}])",
         {everything}},
        // Whole numbers written with a fraction or an exponent are integers.
        {R"([{"blankHFS": 100.0, "blankProDOS": 1e2}])", {blank(100, 100)}},
        {R"([{"blankHFS": -3}])", {blank(-3, std::nullopt)}},
        {R"([{"blankHFS": 9223372036854775807}])", {blank(INT64_MAX, std::nullopt)}},
        // The last of two equal keys wins.
        {R"([{"blankHFS": 1, "blankHFS": 2}])", {blank(2, std::nullopt)}},
        {R"([{"premade": ""}])", {premade("")}},
        {R"([{"premade": "caf\u00e9-fr"}])", {premade("caf\xC3\xA9-fr")}},
    };
    for (const auto& [text, layout] : cases) EXPECT_EQ(decoded(text), layout) << text;
}

TEST(PartitionDefinitionTest, RelativeLocalFilesResolveAgainstTheWorkingDirectoryWhenDecoded) {
    const auto layout = decoded(R"([{"localFile": "disk.hda"}, {"localFile": "sub/../x.img"}])");
    ASSERT_EQ(layout.size(), 2u);
    EXPECT_EQ(layout[0].localFile, URL::fileURLWithPath((std::filesystem::current_path() / "disk.hda").string()));
    EXPECT_TRUE(layout[0].localFile->isFileURL());
    EXPECT_EQ(layout[0].localFile->path(), (std::filesystem::current_path() / "disk.hda").string());
    EXPECT_EQ(layout[1].localFile->path(), (std::filesystem::current_path() / "sub/../x.img").string());
}

TEST(PartitionDefinitionTest, RefusesTheWholeLayoutForAnyValueOfTheWrongType) {
    using Case = JSONDecodingError::Case;
    const std::vector<std::tuple<std::string, Case, std::string>> cases{
        {R"({"blankHFS": 100})", Case::typeMismatch, "typeMismatch(\"expected an array, found an object\")"},
        {R"("[]")", Case::typeMismatch, "typeMismatch(\"expected an array, found a string\")"},
        {"null", Case::valueNotFound, "valueNotFound(\"expected an array, found null\")"},
        {"[5]", Case::typeMismatch, "typeMismatch(\"[0]: expected an object, found 5\")"},
        {"[{}, []]", Case::typeMismatch, "typeMismatch(\"[1]: expected an object, found an array\")"},
        {R"([{"blankHFS": "100"}])", Case::typeMismatch,
         "typeMismatch(\"[0].blankHFS: expected an integer, found a string\")"},
        {R"([{"blankHFS": 1.5}])", Case::typeMismatch, "typeMismatch(\"[0].blankHFS: expected an integer, found 1.5\")"},
        {R"([{"blankProDOS": 1e-1}])", Case::typeMismatch,
         "typeMismatch(\"[0].blankProDOS: expected an integer, found 0.1\")"},
        {R"([{"blankHFS": true}])", Case::typeMismatch,
         "typeMismatch(\"[0].blankHFS: expected an integer, found true\")"},
        {R"([{"blankProDOS": [1]}])", Case::typeMismatch,
         "typeMismatch(\"[0].blankProDOS: expected an integer, found an array\")"},
        {R"([{"blankHFS": 9223372036854775808}])", Case::dataCorrupted,
         "dataCorrupted(\"[0].blankHFS: the number 9223372036854775808 does not fit in a signed 64-bit integer\")"},
        {R"([{"blankHFS": 1e19}])", Case::dataCorrupted,
         "dataCorrupted(\"[0].blankHFS: the number does not fit in a signed 64-bit integer\")"},
        {R"([{"premade": 7}])", Case::typeMismatch, "typeMismatch(\"[0].premade: expected a string, found 7\")"},
        {R"([{}, {"localFile": false}])", Case::typeMismatch,
         "typeMismatch(\"[1].localFile: expected a string, found false\")"},
        {R"([{"localFile": {"path": "a"}}])", Case::typeMismatch,
         "typeMismatch(\"[0].localFile: expected a string, found an object\")"},
    };
    for (const auto& [text, errorCase, rendered] : cases) {
        try {
            decoded(text);
            ADD_FAILURE() << "decoded " << text;
        } catch (const JSONDecodingError& error) {
            EXPECT_EQ(error.errorCase, errorCase) << text;
            EXPECT_EQ(std::string(error.what()), rendered) << text;
        }
    }
}

TEST(PartitionDefinitionTest, TextThatIsNotJSONIsDataCorrupted) {
    for (const std::string text : {"", "[", "[{]", "blankHFS", "[{\"blankHFS\": 1}] x", "[01]"}) {
        try {
            decoded(text);
            ADD_FAILURE() << "decoded " << text;
        } catch (const JSONDecodingError& error) {
            EXPECT_EQ(error.errorCase, JSONDecodingError::Case::dataCorrupted) << text;
            EXPECT_TRUE(std::string(error.what()).starts_with("dataCorrupted(\"not valid JSON: ")) << error.what();
        }
    }
}

TEST(PartitionDefinitionTest, EncodesOnlyThePresentFieldsInDeclarationOrder) {
    EXPECT_EQ(PartitionDefinition{}.toJSON().dump(), "{}");
    PartitionDefinition definition = blank(std::nullopt, 5);
    definition.localFile = URL::fileURLWithPath("/images/my disk.hda");
    definition.premade = "sys-fr";
    EXPECT_EQ(definition.toJSON().dump(),
              R"({"premade":"sys-fr","localFile":")" + definition.localFile->absoluteString() +
                  R"(","blankProDOS":5})");
    // What is written decodes to the same record.
    EXPECT_EQ(decoded("[" + blank(3, 4).toJSON().dump() + "]"), std::vector{blank(3, 4)});
}

TEST(PartitionDefinitionTest, WellFormedUTF8) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"", true},
        {"plain [] {}", true},
        {"caf\xC3\xA9", true},                 // U+00E9
        {"\xE2\x82\xAC", true},                // U+20AC
        {"\xED\x9F\xBF", true},                // U+D7FF, the last before the surrogates
        {"\xEE\x80\x80", true},                // U+E000, the first after them
        {"\xF0\x9F\x92\xBE", true},            // U+1F4BE
        {"\xF4\x8F\xBF\xBF", true},            // U+10FFFF
        {"\x80", false},                       // a stray continuation byte
        {"caf\xE9", false},                    // ISO Latin-1
        {"\xC3", false},                       // truncated
        {"\xE2\x82", false},                   // truncated
        {"\xC0\xAF", false},                   // overlong "/"
        {"\xC1\xBF", false},                   // overlong
        {"\xE0\x9F\xBF", false},               // overlong
        {"\xF0\x8F\xBF\xBF", false},           // overlong
        {"\xED\xA0\x80", false},               // U+D800, a surrogate
        {"\xF4\x90\x80\x80", false},           // past U+10FFFF
        {"\xF5\x80\x80\x80", false},           // past U+10FFFF
        {"\xFF", false},
        {"\xE2\x28\xA1", false},               // a continuation byte missing
        {std::string("a\0b", 3), true},        // NUL is a character
    };
    for (const auto& [text, wellFormed] : cases) EXPECT_EQ(isWellFormedUTF8(text), wellFormed) << ::testing::PrintToString(text);
}

TEST(PartitionDefinitionTest, TheOptionTransformRefusesBadlyEncodedText) {
    try {
        partitionLayoutFromOptionText("[{\"premade\": \"caf\xE9\"}]");
        ADD_FAILURE() << "decoded badly encoded text";
    } catch (const ValidationError& error) {
        EXPECT_EQ(std::string(error.what()), "Badly encoded string, should be UTF-8");
    }
    EXPECT_EQ(partitionLayoutFromOptionText(R"([{"blankHFS": 2}])"), std::vector{blank(2, std::nullopt)});
    EXPECT_THROW(partitionLayoutFromOptionText("\"text\""), JSONDecodingError);
}

TEST(PartitionDefinitionTest, ReadsALayoutFile) {
    TemporaryDirectory folder;
    const std::string path = folder.file("layout.json");
    std::ofstream(path) << R"([{"blankHFS": 20}, {"premade": "sys-en", "blankProDOS": 32}])";
    auto expected = std::vector{blank(20, std::nullopt), blank(std::nullopt, 32)};
    expected[1].premade = "sys-en";
    EXPECT_EQ(partitionLayoutFromFile(path), expected);

    std::ofstream(folder.file("empty.json")) << "";
    EXPECT_THROW(partitionLayoutFromFile(folder.file("empty.json")), JSONDecodingError);
    try {
        partitionLayoutFromFile(folder.file("absent.json"));
        ADD_FAILURE() << "read an absent file";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
}

}  // namespace
}  // namespace zorv::cli
