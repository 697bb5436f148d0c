#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "data_access/Bytes.hpp"
#include "platform/URL.hpp"

namespace zorv {
class JSONValueReader;
}

namespace zorv::cli {

// One entry of the partition layout of `create mac-device-partitioned`: a
// JSON object with up to four keys, each optional, any combination allowed.
// The whole layout is a JSON array of such objects, given as a file
// (--config-file) or as the text of --partitions:
//
//   [{"premade": "sys-en"}, {"localFile": "Games.img", "blankHFS": 20},
//    {"blankProDOS": 32}]
//
// Keys match exactly (case matters); other keys are ignored and a key whose
// value is null counts as absent. The values are typed strictly: the sizes
// are integers (100, or the same whole number written 100.0 or 1e2), never a
// fraction, a boolean or a string; the texts are strings.
struct PartitionDefinition {
    // Reference of a premade volume set: its setReference, "-", its language.
    std::optional<std::string> premade;
    // A volume or device image file; a relative path resolves against the
    // working directory when the layout is decoded.
    std::optional<URL> localFile;
    // Size of a blank HFS volume, in megabytes of 1,048,576 bytes.
    std::optional<int64_t> blankHFS;
    // Size of a blank ProDOS volume, in megabytes of 1,048,576 bytes.
    std::optional<int64_t> blankProDOS;

    // One object of the layout. Throws JSONDecodingError (typeMismatch for a
    // value of the wrong type, dataCorrupted for an integer beyond 64 bits)
    // naming the key's place ("[1].blankHFS").
    static PartitionDefinition decode(const JSONValueReader& object);
    // The present fields in declaration order; localFile as its absolute URL
    // text. No command writes a layout.
    nlohmann::ordered_json toJSON() const;

    friend bool operator==(const PartitionDefinition&, const PartitionDefinition&) = default;
};

// A whole layout document: UTF-8 JSON whose top level is an array (possibly
// empty) of objects. Throws JSONDecodingError; a layout that fails is refused
// whole.
std::vector<PartitionDefinition> decodePartitionLayout(ByteView document);

// The text of --partitions, as the option's transform takes it: text that is
// not well-formed UTF-8 throws ValidationError "Badly encoded string, should
// be UTF-8"; otherwise the text is decoded as a layout document.
std::vector<PartitionDefinition> partitionLayoutFromOptionText(const std::string& text);

// The file named by --config-file (a relative path resolves against the
// working directory), read whole and decoded as a layout document. Throws the
// read error (std::system_error) or the decoding error unchanged.
std::vector<PartitionDefinition> partitionLayoutFromFile(const std::string& path);

// True when the bytes are well-formed UTF-8: no stray continuation byte, no
// truncated or overlong sequence, no UTF-16 surrogate, nothing past U+10FFFF.
bool isWellFormedUTF8(std::string_view text);

}  // namespace zorv::cli
