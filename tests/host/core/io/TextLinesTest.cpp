#include "host/core/io/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tesselon {
namespace {

using Numbered = std::vector<std::pair<int, std::string>>;

Numbered allLines(std::string_view text, TextLines::Comments comments = TextLines::Comments::Kept)
{
    Numbered lines;
    TextLines reader(text, comments);
    while (const auto line = reader.next())
        lines.emplace_back(line->number, std::string(line->text));
    return lines;
}

TEST(TextLines, GivesNumberedTrimmedNonBlankLinesSplitsAtSeparatorRunsAcceptsOnlyFiniteNumbers)
{
    EXPECT_EQ(allLines("a\n\n \t\r\n  b c \r\n\tlast"), (Numbered{{1, "a"}, {4, "b c"}, {5, "last"}}));
    EXPECT_EQ(allLines("a\r\n"), (Numbered{{1, "a"}}));
    EXPECT_TRUE(allLines("").empty());
    EXPECT_TRUE(allLines("\n \n\r\n").empty());

    const std::string text = "# note\n  # indented note\nvalue # not a comment\n";
    EXPECT_EQ(allLines(text),
              (Numbered{{1, "# note"}, {2, "# indented note"}, {3, "value # not a comment"}}));
    EXPECT_EQ(allLines(text, TextLines::Comments::Skipped), (Numbered{{3, "value # not a comment"}}));

    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(TextLines::split("  1\t2 \r 3  "), (Pieces{"1", "2", "3"}));
    EXPECT_EQ(TextLines::split("1,2"), (Pieces{"1,2"}));
    EXPECT_EQ(TextLines::split(",1,, 2 ,3,", " ,"), (Pieces{"1", "2", "3"}));
    EXPECT_TRUE(TextLines::split("").empty());
    EXPECT_TRUE(TextLines::split(" \t ").empty());

    EXPECT_EQ(TextLines::finiteNumber("-2.5e3"), -2500.0);
    EXPECT_EQ(TextLines::finiteNumber("1e-300"), 1e-300);
    for (const std::string_view text : {"", "inf", "-inf", "nan", "1e999", "1x", "1,5", "one"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TextLines::finiteNumber(text));
    }
}

TEST(TextLines, EndsEachLineWhereTheNextStartsSplitsKeyAndValueAtTheFirstEqualsLowersAscii)
{
    const std::string text = std::string("key = 1\r\n\nend = LOCAL\n") + '\0' + "\xff\n\x01";
    TextLines lines(text);
    EXPECT_EQ(lines.next()->end, 9u);
    const auto last = lines.next();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->number, 3);
    EXPECT_EQ(text.substr(last->end), std::string(1, '\0') + "\xff\n\x01");

    TextLines unterminated("a\nb");
    unterminated.next();
    EXPECT_EQ(unterminated.next()->end, 3u);
    EXPECT_FALSE(unterminated.next());
    EXPECT_FALSE(unterminated.next());

    const auto field = TextLines::splitKeyValue(" Name \t=  a = b ");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->key, "Name");
    EXPECT_EQ(field->value, "a = b");

    const auto empty = TextLines::splitKeyValue("=");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->key, "");
    EXPECT_EQ(empty->value, "");

    EXPECT_FALSE(TextLines::splitKeyValue("Name value"));

    EXPECT_EQ(TextLines::lowerCase("X,y,Z,Label"), "x,y,z,label");
    EXPECT_EQ(TextLines::lowerCase("TRUE 1_\xc3\x84"), "true 1_\xc3\x84");
    EXPECT_EQ(TextLines::lowerCase(""), "");
}

}  // namespace
}  // namespace Tesselon
