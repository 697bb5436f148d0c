#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <system_error>

#include "data_access/Errors.hpp"

namespace zorv::testing {

// Runs a call the interface declares as not throwing.
template <typename Call>
void mustNotThrow(const char* what, Call&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << " threw " << error.what();
    }
}

// Runs a call on damaged input that may throw the library's own errors and
// nothing else.
template <typename Call>
void mayThrowOwnErrors(const char* what, Call&& call) {
    try {
        call();
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << " threw a foreign error: " << error.what();
    }
}

// Expects `call` to throw an `Error` that `check` then looks at; `expected`
// names what was expected when nothing is thrown.
template <typename Error, typename Call, typename Check>
void expectThrown(Call&& call, Check&& check, const std::string& expected) {
    try {
        call();
    } catch (const Error& error) {
        check(error);
        return;
    } catch (const std::exception& error) {
        ADD_FAILURE() << "threw a different error: " << error.what();
        return;
    }
    ADD_FAILURE() << "threw nothing; expected " << expected;
}

// Expects `call` to throw an error of type `Error` whose case is `expected`.
// Every error enumeration of the library carries its case in `errorCase`.
// Use it for each error check instead of a hand-written try/catch.
template <typename Error, typename Call>
void expectError(typename Error::Case expected, Call&& call) {
    expectThrown<Error>(
        call, [&](const Error& error) { EXPECT_EQ(error.errorCase, expected) << "threw " << error.what(); },
        Error::caseName(expected));
}

// The same, for an error that carries more than its case: expects `call` to
// throw an error equal to `expected`, payload included.
template <typename Error, typename Call>
void expectError(const Error& expected, Call&& call) {
    expectThrown<Error>(
        call, [&](const Error& error) { EXPECT_EQ(error, expected) << "threw " << error.what(); }, expected.what());
}

// Expects `call` to throw the operating system's error `expected` (an errno
// value) as a std::system_error, the way the platform layer reports it.
template <typename Call>
void expectSystemError(int expected, Call&& call) {
    expectThrown<std::system_error>(
        call, [&](const std::system_error& error) { EXPECT_EQ(error.code().value(), expected) << error.what(); },
        "errno " + std::to_string(expected));
}

}  // namespace zorv::testing
