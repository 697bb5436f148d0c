#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "disk_image/parser/JSONStreamWriter.hpp"

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
                                           "broken \xC3 UTF-8 \xFF\xFE", std::string("nul \0 inside", 12)));

// Texts are checked eight bytes at a time: a byte to escape at each place of
// a longer text, in the first word, the second, and the tail.
std::vector<std::string> escapesAtEachPlace() {
    std::vector<std::string> texts;
    for (const char special : {'"', '\\', '\x1f', '\0', '\x80'}) {
        for (size_t place = 0; place < 19; ++place) {
            std::string text = "a long plain name!!";
            text[place] = special;
            texts.push_back(text);
        }
    }
    return texts;
}

INSTANTIATE_TEST_SUITE_P(EscapesAtEachPlace, JSONStreamWriterTest, ::testing::ValuesIn(escapesAtEachPlace()));

}  // namespace
}  // namespace zorv
