#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "disk_image/parser/JSONStreamWriter.hpp"
#include "support/TestCaseNames.hpp"

// The streaming writer must give, byte for byte, what nlohmann-json's pretty
// printing gives for the same document: the report's format does not change.
namespace zorv {
namespace {

using JSON = nlohmann::ordered_json;

// Writes `json` (objects, arrays, strings, integers, booleans) through the
// streaming writer.
void writeThrough(JSONStreamWriter& writer, const JSON& json) {
    if (json.is_object()) {
        writer.beginObject();
        for (const auto& [key, value] : json.items()) {
            writer.key(key);
            writeThrough(writer, value);
        }
        writer.endObject();
    } else if (json.is_array()) {
        writer.beginArray();
        for (const auto& value : json) writeThrough(writer, value);
        writer.endArray();
    } else if (json.is_string()) {
        writer.value(json.get_ref<const std::string&>());
    } else if (json.is_boolean()) {
        writer.value(json.get<bool>());
    } else {
        writer.value(json.get<int64_t>());
    }
}

class JSONStreamWriterTest : public ::testing::TestWithParam<std::string> {};

TEST_P(JSONStreamWriterTest, WritesWhatNlohmannJsonPrints) {
    JSON document = JSON::object();
    document["text"] = GetParam();
    document["empty object"] = JSON::object();
    document["empty list"] = JSON::array();
    document["list"] = JSON::array({JSON::object({{"n", -12}, {"b", false}, {"t", GetParam()}}), 7, true});
    document["nested"] = JSON::object({{"deeper", JSON::object({{"x", GetParam()}})}});
    std::ostringstream streamed;
    JSONStreamWriter writer(streamed, 2);
    writeThrough(writer, document);
    EXPECT_EQ(streamed.str(), document.dump(2, ' ', false, JSON::error_handler_t::replace));
}

INSTANTIATE_TEST_SUITE_P(Texts, JSONStreamWriterTest,
                         ::testing::Values(std::string(), "plain name.txt", "quote \" and \\ backslash",
                                           "controls \t\n\r\b\f\x01\x1f and \x7f", "\xC3\xA9\xE2\x80\xA6 UTF-8",
                                           "broken \xC3 UTF-8 \xFF\xFE", std::string("nul \0 inside", 12)),
                         testing::namedBy());

// Texts are checked sixteen bytes at a time, shorter ones in two overlapping
// halves: a byte to escape at each place of a text of each kind (under 4
// bytes, under 8, under 16, one block and a tail, two blocks and a tail).
struct Special {
    char byte;
    const char* name;
};
constexpr Special kSpecials[] = {{'"', "quote"}, {'\\', "backslash"}, {'\x1f', "x1F"}, {'\0', "nul"}, {'\x80', "x80"}};

std::vector<std::string> escapesAtEachPlace() {
    std::vector<std::string> texts;
    for (const Special& special : kSpecials) {
        for (const std::string plain :
             {"a long plain name!!", "seven!!", "abc", "twelve chars", "a name of thirty-five characters!!!"}) {
            for (size_t place = 0; place < plain.size(); ++place) {
                std::string text = plain;
                text[place] = special.byte;
                texts.push_back(text);
            }
        }
    }
    return texts;
}

// "quote_at_3_of_19": the byte to escape, its place, the text's length.
std::string placeOfTheEscape(const std::string& text) {
    for (const Special& special : kSpecials) {
        const size_t place = text.find(special.byte);
        if (place != std::string::npos)
            return std::string(special.name) + " at " + std::to_string(place) + " of " + std::to_string(text.size());
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(EscapesAtEachPlace, JSONStreamWriterTest, ::testing::ValuesIn(escapesAtEachPlace()),
                         testing::namedBy(placeOfTheEscape));

// Keys prepared once for the objects of a list: the first member has no
// separator; a key needing escapes, or used at another depth, still comes out
// as nlohmann-json writes it, whether the key and its value are written one
// after the other or as one member.
TEST(JSONStreamWriterPreparedKeyTest, WritesWhatNlohmannJsonPrints) {
    JSON element = JSON::object(
        {{"name", "a"}, {"quote\"", 1}, {"flag", true}, {"text", "tab\t"}, {"inner", JSON::object({{"name", "b"}})}});
    const JSON document = JSON::object({{"list", JSON::array({element, element, JSON::object()})}});
    for (const bool asMembers : {false, true}) {
        std::ostringstream streamed;
        JSONStreamWriter writer(streamed, 2);
        writer.beginObject();
        writer.key("list");
        writer.beginArray();
        const auto name = writer.prepareKey("name", 1);
        const auto quote = writer.prepareKey("quote\"", 1);
        const auto flag = writer.prepareKey("flag", 1);
        const auto text = writer.prepareKey("text", 1);
        const auto inner = writer.prepareKey("inner", 1);
        const auto member = [&](const JSONStreamWriter::PreparedKey& key, auto value) {
            if (asMembers) {
                writer.member(key, value);
            } else {
                writer.key(key);
                writer.value(value);
            }
        };
        for (int index = 0; index < 2; ++index) {
            writer.beginObject();
            member(name, std::string_view("a"));
            member(quote, int64_t{1});
            member(flag, true);
            member(text, std::string_view("tab\t"));
            writer.key(inner);
            writer.beginObject();
            member(name, std::string_view("b"));
            writer.endObject();
            writer.endObject();
        }
        writer.beginObject();
        writer.endObject();
        writer.endArray();
        writer.endObject();
        EXPECT_EQ(streamed.str(), document.dump(2, ' ', false, JSON::error_handler_t::replace))
            << (asMembers ? "as members" : "key, then value");
    }
}

}  // namespace
}  // namespace zorv
