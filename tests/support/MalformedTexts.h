#pragma once

#include "tests/support/FormatErrors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tesselon::Test {

/// A text a reader must refuse: the line it names (0 where none applies) and part of the reason it gives.
struct Malformed
{
    const char* what;
    std::string text;
    int line;
    const char* expected;
};

/// Checks that `read(text, source)` throws an `Error` naming the source, the line and the reason of each
/// case.
template <class Error, class Read>
void expectEachNamed(const std::vector<Malformed>& cases, const std::string& source, Read&& read)
{
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.what);
        expectNames(caught<Error>([&] { read(c.text, source); }), source, c.line, c.expected);
    }
}

}  // namespace Tesselon::Test
