#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace zorv::testing {

// A free text (an image's path, a zone, a case's description) as the name of
// one case of a value-parameterised test, which gtest takes in letters,
// digits and underscores only. Letters and digits stay; each run of other
// printable ASCII characters becomes one underscore; every other byte (a
// control character, a byte of UTF-8) is spelled as a word, "x" and its two
// hex digits. So "hfs/cp2-simple-gsos.po" is "hfs_cp2_simple_gsos_po",
// "tab\t" is "tab_x09", and an empty text is "empty". A name that an earlier
// case of the same instantiation already has gets "_2", "_3"...: gtest names
// an instantiation's cases in order from index 0, which is all this relies
// on.
std::string testCaseName(std::string_view text, std::size_t index);

// The fourth argument of INSTANTIATE_TEST_SUITE_P: names each case by what
// `label` gives for its parameter (a member such as &Case::name, or a
// function), through testCaseName; without a label, by the parameter itself
// (a text or a number). A number is written in decimal.
template <class Label = std::identity>
auto namedBy(Label label = {}) {
    return [label = std::move(label)](const auto& info) {
        decltype(auto) text = std::invoke(label, info.param);
        if constexpr (std::is_arithmetic_v<std::remove_cvref_t<decltype(text)>>)
            return testCaseName(std::to_string(text), info.index);
        else
            return testCaseName(std::string_view(text), info.index);
    };
}

}  // namespace zorv::testing
