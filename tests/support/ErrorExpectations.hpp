#pragma once

#include <gtest/gtest.h>

#include <exception>

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

}  // namespace zorv::testing
