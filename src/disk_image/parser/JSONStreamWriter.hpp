#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// Writes a JSON document piece by piece as it is produced, in exactly the
// layout of nlohmann-json's pretty printing (the report's format): each
// member or element on its own line, indented by `indent` spaces per level,
// "key": value with one space, empty containers as {} and [], no line feed
// after the document. Strings are UTF-8, escaped as nlohmann-json escapes
// them, a byte sequence that is not UTF-8 becoming U+FFFD.
//
// The caller nests the calls soundly: key() before each member's value
// inside an object, none inside an array. Text goes to the stream in chunks,
// the last when the document's outermost container ends.
class JSONStreamWriter {
public:
    // A key written many times at one depth (the members of the objects of
    // a long list), its text made once: the separator, the line's
    // indentation, the quoted name and ": ".
    class PreparedKey {
    public:
        std::string_view name() const { return name_; }

    private:
        friend class JSONStreamWriter;
        std::string name_;
        size_t depth_ = 0;
        std::string text_;  // ",\n<indentation>\"name\": "
    };

    JSONStreamWriter(std::ostream& out, int indent) : out_(out), indent_(indent) {}

    // A key for the members of objects opened `depthBelow` levels below the
    // container open now (1: the elements of an array open now).
    PreparedKey prepareKey(std::string_view name, size_t depthBelow) const;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void key(const PreparedKey& prepared);
    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(int64_t number);
    void value(bool flag);

private:
    struct Container {
        bool isObject;
        bool isEmpty;
    };

    // What goes before a value: the separator and indentation inside an
    // array (inside an object, key() wrote them).
    void beforeValue();
    void newLineAndIndent(size_t depth);
    void begin(bool isObject, char opening);
    void end(char closing);
    void string(std::string_view text);
    // Hands the text gathered so far to the stream.
    void flush();
    // The next `count` bytes of the buffer, to be filled by the caller.
    char* room(size_t count);
    void put(std::string_view text);

    static constexpr size_t chunkSize = 1 << 16;
    std::ostream& out_;
    // Text gathered is the first `used_` bytes; a chunk and room for what
    // may follow before the next check.
    std::string buffer_ = std::string(2 * chunkSize, '\0');
    size_t used_ = 0;
    int indent_;
    std::vector<Container> open_;
    bool afterKey_ = false;
};

}  // namespace zorv
