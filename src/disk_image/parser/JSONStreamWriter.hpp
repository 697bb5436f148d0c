#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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
    private:
        friend class JSONStreamWriter;
        // Texts up to this long are also kept in `block_`, copied whole.
        static constexpr size_t blockSize = 64;
        std::string name_;
        size_t depth_ = 0;
        std::string text_;  // ",\n<indentation>\"name\": "
        std::array<char, blockSize> block_{};
    };

    JSONStreamWriter(std::ostream& out, int indent)
        : out_(out),
          indent_(indent),
          maxInlineDepth_(indent > 0 ? maxInlineIndentation / static_cast<size_t>(indent) : SIZE_MAX) {}

    // A key for the members of objects opened `depthBelow` levels below the
    // container open now (1: the elements of an array open now).
    PreparedKey prepareKey(std::string_view name, size_t depthBelow) const;

    void beginObject() {
        // The common case inline: an element of an array, with room.
        if (afterKey_ || open_.empty() || open_.back().isObject || used_ >= chunkSize ||
            open_.size() > maxInlineDepth_) {
            begin(true, '{');
            return;
        }
        Container& container = open_.back();
        char* place = buffer_.data() + used_;
        if (!container.isEmpty) *place++ = ',';
        container.isEmpty = false;
        place = newLineAndIndentAt(place, open_.size());
        *place++ = '{';
        used_ = static_cast<size_t>(place - buffer_.data());
        open_.push_back({true, true});
    }
    void endObject() {
        // The common case inline: a nested object, with room.
        if (open_.size() < 2 || used_ >= chunkSize || open_.size() > maxInlineDepth_) {
            end('}');
            return;
        }
        const bool wasEmpty = open_.back().isEmpty;
        open_.pop_back();
        char* place = buffer_.data() + used_;
        if (!wasEmpty) place = newLineAndIndentAt(place, open_.size());
        *place++ = '}';
        used_ = static_cast<size_t>(place - buffer_.data());
    }
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void key(const PreparedKey& prepared) {
        // The common case inline: a key made for this depth, with room.
        // Otherwise (another depth, a name to escape) the general way.
        if (!fitsInline(prepared, 0)) {
            key(prepared.name_);
            return;
        }
        used_ = static_cast<size_t>(keyInline(prepared) - buffer_.data());
        afterKey_ = true;
    }
    // A member whose key was prepared, in one step: the text of key(prepared)
    // then value(...).
    void member(const PreparedKey& prepared, std::string_view text) {
        if (!fitsInline(prepared, text.size() + 2) || !isPlainText(text)) {
            key(prepared);
            value(text);
            return;
        }
        used_ = static_cast<size_t>(quotedAt(keyInline(prepared), text) - buffer_.data());
    }
    void member(const PreparedKey& prepared, int64_t number) {
        if (!fitsInline(prepared, maxNumberLength)) {
            key(prepared);
            value(number);
            return;
        }
        used_ = static_cast<size_t>(numberAt(keyInline(prepared), number) - buffer_.data());
    }
    void member(const PreparedKey& prepared, bool flag) {
        if (!fitsInline(prepared, 5)) {
            key(prepared);
            value(flag);
            return;
        }
        used_ = static_cast<size_t>(flagAt(keyInline(prepared), flag) - buffer_.data());
    }

    void value(std::string_view text) {
        // The common case inline: a member's plain text, with room.
        if (!afterKey_ || used_ >= chunkSize || text.size() + 2 > chunkSize || !isPlainText(text)) {
            beforeValue();
            string(text);
            return;
        }
        afterKey_ = false;
        used_ = static_cast<size_t>(quotedAt(buffer_.data() + used_, text) - buffer_.data());
    }
    void value(const char* text) { value(std::string_view(text)); }
    void value(int64_t number) {
        // The common case inline: a member's number, with room.
        if (!afterKey_ || used_ >= chunkSize) {
            writeNumber(number);
            return;
        }
        afterKey_ = false;
        used_ = static_cast<size_t>(numberAt(buffer_.data() + used_, number) - buffer_.data());
    }
    void value(bool flag) {
        // The common case inline: a member's flag, with room.
        if (!afterKey_ || used_ >= chunkSize) {
            writeFlag(flag);
            return;
        }
        afterKey_ = false;
        used_ = static_cast<size_t>(flagAt(buffer_.data() + used_, flag) - buffer_.data());
    }

private:
    struct Container {
        bool isObject;
        bool isEmpty;
    };

    // Whether the text needs no escaping: printable ASCII but for the quote
    // and the backslash. Sixteen bytes at a time, as most of a report is such
    // text.
    static bool isPlainText(std::string_view text) {
#if defined(__SSE2__)
        const auto isPlainBlock = [](__m128i block) {
            // Bytes of 0x80 and above are negative as signed bytes: below 0x20 too.
            const __m128i bad = _mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(0x20)),
                                             _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                                                          _mm_cmpeq_epi8(block, _mm_set1_epi8('\\'))));
            return _mm_movemask_epi8(bad) == 0;
        };
        const auto blockAt = [&](size_t index) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + index));
        };
        const auto wordAt = [&](size_t index) {
            int64_t word;
            std::memcpy(&word, text.data() + index, 8);
            return word;
        };
        // Shorter texts are read in two overlapping halves, or padded with
        // spaces (plain), straight into a register.
        constexpr int64_t spaces = 0x2020202020202020LL;
        if (text.size() >= 16) {
            for (size_t index = 0; index + 16 <= text.size(); index += 16) {
                if (!isPlainBlock(blockAt(index))) return false;
            }
            // The last sixteen bytes, some of them checked already.
            return isPlainBlock(blockAt(text.size() - 16));
        }
        if (text.size() >= 8) return isPlainBlock(_mm_set_epi64x(wordAt(text.size() - 8), wordAt(0)));
        if (text.size() >= 4) {
            uint32_t first;
            uint32_t last;
            std::memcpy(&first, text.data(), 4);
            std::memcpy(&last, text.data() + text.size() - 4, 4);
            return isPlainBlock(_mm_set_epi64x(spaces, static_cast<int64_t>((uint64_t{last} << 32) | first)));
        }
        int64_t word = spaces;
        for (size_t index = 0; index < text.size(); ++index) {
            word = static_cast<int64_t>((static_cast<uint64_t>(word) << 8) | static_cast<uint8_t>(text[index]));
        }
        return isPlainBlock(_mm_set_epi64x(spaces, word));
#else
        constexpr uint64_t ones = 0x0101010101010101ULL;
        constexpr uint64_t highs = 0x8080808080808080ULL;
        const auto hasByteBelow = [](uint64_t word, uint8_t limit) { return (word - ones * limit) & ~word & highs; };
        const auto hasByte = [&](uint64_t word, uint8_t byte) { return hasByteBelow(word ^ (ones * byte), 1); };
        const auto isPlainWord = [&](uint64_t word) {
            return ((word & highs) | hasByteBelow(word, 0x20) | hasByte(word, '"') | hasByte(word, '\\')) == 0;
        };
        const auto wordAt = [&](size_t index) {
            uint64_t word;
            std::memcpy(&word, text.data() + index, 8);
            return word;
        };
        if (text.size() < 8) {
            // Padded with spaces (plain).
            uint64_t word = ones * ' ';
            for (size_t index = 0; index < text.size(); ++index) {
                word = (word << 8) | static_cast<uint8_t>(text[index]);
            }
            return isPlainWord(word);
        }
        for (size_t index = 0; index + 8 <= text.size(); index += 8) {
            if (!isPlainWord(wordAt(index))) return false;
        }
        // The last eight bytes, some of them checked already.
        return isPlainWord(wordAt(text.size() - 8));
#endif
    }

    // Whether a member with that key and a value of up to `valueSize` bytes
    // can be written inline: a key prepared for this depth, kept whole in
    // its block, and room.
    bool fitsInline(const PreparedKey& prepared, size_t valueSize) const {
        return prepared.depth_ == open_.size() && !prepared.text_.empty() &&
               prepared.text_.size() <= PreparedKey::blockSize && used_ < chunkSize &&
               valueSize <= chunkSize - PreparedKey::blockSize;
    }
    // Writes the key as key(prepared) does, when fitsInline(); returns where
    // its value goes. The key's whole block is copied (the buffer has room
    // past it), only its text counts.
    char* keyInline(const PreparedKey& prepared) {
        Container& container = open_.back();
        // The first member of an object has no separator before it.
        const size_t skip = container.isEmpty ? 1 : 0;
        container.isEmpty = false;
        char* place = buffer_.data() + used_;
        std::memcpy(place, prepared.block_.data() + skip, PreparedKey::blockSize - 1);
        return place + prepared.text_.size() - skip;
    }
    // A value's text at `place`, where there is room; each returns where it
    // ends.
    static char* quotedAt(char* place, std::string_view text) {
        *place++ = '"';
        std::memcpy(place, text.data(), text.size());
        place += text.size();
        *place++ = '"';
        return place;
    }
    static char* numberAt(char* place, int64_t number) {
        return std::to_chars(place, place + maxNumberLength, number).ptr;
    }
    static char* flagAt(char* place, bool flag) {
        const std::string_view text = flag ? "true" : "false";
        std::memcpy(place, text.data(), text.size());
        return place + text.size();
    }
    // What goes before a value: the separator and indentation inside an
    // array (inside an object, key() wrote them).
    void beforeValue();
    // A line feed and the indentation of `depth` levels at `place`; returns
    // where they end.
    char* newLineAndIndentAt(char* place, size_t depth) const {
        const size_t spaces = depth * static_cast<size_t>(indent_);
        *place++ = '\n';
        std::memset(place, ' ', spaces);
        return place + spaces;
    }
    void writeNumber(int64_t number);
    void writeFlag(bool flag);
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
    // The inline ways indent by at most this many spaces, so that what they
    // write always fits the room left after a chunk.
    static constexpr size_t maxInlineIndentation = 4096;
    static constexpr size_t maxNumberLength = 20;  // "-9223372036854775808"
    std::ostream& out_;
    // Text gathered is the first `used_` bytes; a chunk and room for what
    // may follow before the next check.
    std::string buffer_ = std::string(2 * chunkSize, '\0');
    size_t used_ = 0;
    int indent_;
    size_t maxInlineDepth_;
    std::vector<Container> open_;
    bool afterKey_ = false;
};

}  // namespace zorv
