#include "host/core/config/PropertyCodec.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

enum class Mode
{
    Pivot = 0,
    Direction = 2
};
enum class Small : unsigned char
{
    Zero = 0
};

TEST(PropertyCodecReal, DoublesVectorsAndMatricesRoundTripExactlyInShortestTextRowByRow)
{
    using Limits = std::numeric_limits<double>;
    const std::vector<double> values = {0.1,
                                        1e-300,
                                        -0.0,
                                        0.0,
                                        Limits::denorm_min(),
                                        -Limits::denorm_min(),
                                        2.5e-310,
                                        Limits::min(),
                                        1.0 / 3.0,
                                        std::numbers::pi,
                                        123456789.125,
                                        Limits::max(),
                                        Limits::lowest(),
                                        Limits::infinity(),
                                        -Limits::infinity()};
    for (const double value : values) {
        const std::string text = PropertyCodec<double>::toText(value);
        const auto read = PropertyCodec<double>::fromText(text);
        ASSERT_TRUE(read.has_value()) << text;
        EXPECT_TRUE(sameBits(*read, value)) << text;
    }
    EXPECT_EQ(PropertyCodec<double>::toText(0.1), "0.1");
    EXPECT_EQ(PropertyCodec<double>::toText(1e-300), "1e-300");
    EXPECT_EQ(PropertyCodec<double>::toText(-0.0), "-0");
    EXPECT_EQ(PropertyCodec<double>::toText(std::numeric_limits<double>::infinity()), "inf");
    const auto nan = PropertyCodec<double>::fromText(PropertyCodec<double>::toText(std::nan("")));
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));
    EXPECT_TRUE(PropertyCodec<double>::fromText("NaN").has_value());
    EXPECT_TRUE(PropertyCodec<double>::fromText("-inf").has_value());

    for (const char* text : {"", " 1", "1 ", "1x", "abc", "1e400", "0x10", "1,5", "--1"})
        EXPECT_FALSE(PropertyCodec<double>::fromText(text).has_value()) << '"' << text << '"';

    const Eigen::Vector3d value(0.1, -0.0, 1e-300);
    EXPECT_EQ(PropertyCodec<Eigen::Vector3d>::toText(value), "0.1 -0 1e-300");
    const auto read = PropertyCodec<Eigen::Vector3d>::fromText(PropertyCodec<Eigen::Vector3d>::toText(value));
    ASSERT_TRUE(read.has_value());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(sameBits((*read)[i], value[i]));
    for (const char* text : {"", "1 2", "1 2 3 4", "1 2 x", "1,2,3"})
        EXPECT_FALSE(PropertyCodec<Eigen::Vector3d>::fromText(text).has_value()) << '"' << text << '"';

    Eigen::Matrix4d translation = Eigen::Matrix4d::Identity();
    translation(0, 3) = 10.5;  // written at the end of the first row
    EXPECT_EQ(PropertyCodec<Eigen::Matrix4d>::toText(translation), "1 0 0 10.5 0 1 0 0 0 0 1 0 0 0 0 1");
    const auto matrix = PropertyCodec<Eigen::Matrix4d>::fromText("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
    ASSERT_TRUE(matrix.has_value());
    EXPECT_EQ((*matrix)(0, 1), 2.0);
    EXPECT_EQ((*matrix)(1, 0), 5.0);
    EXPECT_EQ((*matrix)(3, 3), 16.0);
}

TEST(PropertyCodecIntegral, IntegersRoundTripLimitsBoolsReadWordsAndDigitsEnumsStayInRange)
{
    for (const char* text : {"true", "TRUE", "True", "1"})
        EXPECT_EQ(PropertyCodec<bool>::fromText(text), true) << text;
    for (const char* text : {"false", "FaLsE", "0"})
        EXPECT_EQ(PropertyCodec<bool>::fromText(text), false) << text;
    for (const char* text : {"", "yes", "2", "true ", "truex", "01"})
        EXPECT_FALSE(PropertyCodec<bool>::fromText(text).has_value()) << '"' << text << '"';
    EXPECT_EQ(PropertyCodec<bool>::toText(true), "true");
    EXPECT_EQ(PropertyCodec<bool>::toText(false), "false");

    EXPECT_EQ(PropertyCodec<Mode>::type, ParamType::Enumeration);
    EXPECT_EQ(PropertyCodec<Mode>::toText(Mode::Direction), "2");
    EXPECT_EQ(PropertyCodec<Mode>::fromText("2"), Mode::Direction);
    EXPECT_FALSE(PropertyCodec<Mode>::fromText("Direction").has_value());
    EXPECT_FALSE(PropertyCodec<Small>::fromText("256").has_value());
    EXPECT_FALSE(PropertyCodec<Small>::fromText("-1").has_value());

    for (const int value : {std::numeric_limits<int>::min(), -1, 0, std::numeric_limits<int>::max()})
        EXPECT_EQ(PropertyCodec<int>::fromText(PropertyCodec<int>::toText(value)), value);
    for (const long long value :
         {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()})
        EXPECT_EQ(PropertyCodec<long long>::fromText(PropertyCodec<long long>::toText(value)), value);
    EXPECT_EQ(PropertyCodec<unsigned>::fromText("4294967295"), 4294967295u);
    for (const char* text : {"", "2147483648", "-2147483649", "1.5", "12abc", " 1", "1 ", "0x1F"})
        EXPECT_FALSE(PropertyCodec<int>::fromText(text).has_value()) << '"' << text << '"';
    for (const char* text : {"-1", "4294967296", ""})
        EXPECT_FALSE(PropertyCodec<unsigned>::fromText(text).has_value()) << '"' << text << '"';
    EXPECT_FALSE(PropertyCodec<long long>::fromText("9223372036854775808").has_value());
}

}  // namespace
}  // namespace Tesselon
