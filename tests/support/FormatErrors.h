#pragma once

#include "host/core/io/FileFormatError.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Tesselon::Test {

/// The `Error` that `action` throws; a test failure, and an empty error, when it throws none.
template <class Error, class Action>
Error caught(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return Error("", 0, "");
}

/// Checks that a file error names its source, its line (unless not given) and says `reasonPart`.
inline void expectNames(const FileFormatError& error, const std::string& source, std::optional<int> line,
                        const std::string& reasonPart)
{
    EXPECT_EQ(error.source(), source) << error.what();
    if (line) {
        EXPECT_EQ(error.line(), *line) << error.what();
    }
    EXPECT_NE(error.reason().find(reasonPart), std::string::npos) << error.what();
}

}  // namespace Tesselon::Test
