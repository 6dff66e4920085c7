#include "host/core/io/TextLines.h"
#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingTextFile.h"

#include "tests/support/MalformedTexts.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

const std::string identity = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";

TrackingRecording twoPoses()
{
    Eigen::Matrix4d moved = Eigen::Matrix4d::Identity();
    moved.topRightCorner<3, 1>() = Eigen::Vector3d(0.1, -2.5, 1e-300);
    moved(0, 1) = -0.0;
    TrackingRecording recording;
    recording.frames.push_back({0, {{"Pointer", Eigen::Matrix4d::Identity(), true}}});
    recording.frames.push_back({0.05, {{"Pointer", moved, true}}});
    return recording;
}

std::string accents(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "é";
    return text;
}

double firstTimestamp(const std::string& text)
{
    return TrackingTextFile::fromText(text).frames.at(0).timestamp;
}

TEST(TrackingTextFile, WritesTheGoldenTextRoundTripsExactlyAndNamesTheTransformByCallerHeaderOrDefault)
{
    const std::string header =
        "# One pose per line: timestamp in seconds, then the 16 values of the 4x4 transform row by row.\n"
        "# transform: Pointer\n";
    EXPECT_EQ(TrackingTextFile::toText(twoPoses()), header +
                                                        "0 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                                                        "0.05 1 -0 0 0.1 0 1 0 -2.5 0 0 1 1e-300 0 0 0 1\n");
    EXPECT_EQ(TrackingTextFile::toText(twoPoses(), ','),
              header +
                  "0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1\n"
                  "0.05,1,-0,0,0.1,0,1,0,-2.5,0,0,1,1e-300,0,0,0,1\n");

    TrackingRecording recording = twoPoses();
    recording.frames.push_back({1378476416.9227552, {{"Pointer", Eigen::Matrix4d::Random(), true}}});
    for (const char separator : {' ', ',', '\t'}) {
        SCOPED_TRACE(static_cast<int>(separator));
        const TrackingRecording read =
            TrackingTextFile::fromText(TrackingTextFile::toText(recording, separator));
        EXPECT_EQ(read.frames, recording.frames);
    }

    const std::string named = "# transform: Needle\n0 " + identity + "\n";
    EXPECT_EQ(TrackingTextFile::fromText(named, "", "Probe").transformNames().at(0), "Probe");
    EXPECT_EQ(TrackingTextFile::fromText(named).transformNames().at(0), "Needle");
    EXPECT_EQ(TrackingTextFile::fromText("0 " + identity).transformNames().at(0), "Tool");
    // A comment after the first pose is a note, not a declaration.
    EXPECT_EQ(TrackingTextFile::fromText("0 " + identity + "\n# transform: Late\n").transformNames().at(0),
              "Tool");
}

TEST(TrackingTextFile, MalformedLinesNameTheLineUnwritableRecordingsAreRefusedDeclaredUnitsWin)
{
    const std::string pose = "0 " + identity + "\n";
    // Cut between characters, never inside one.
    const std::string longWordExcerpt = "found \"" + accents(60) + "…\"";
    const std::vector<Malformed> cases = {
        {"16 numbers", "# header\n" + pose + identity + "\n", 3, "expected 17 numbers"},
        {"18 numbers", pose + "\n0 " + identity + " 1\n", 3, "found 18"},
        {"column header", "time,m00\n" + pose, 1, "found 2"},
        {"word", pose + "0 1 0 0 0 0 1 0 0 0 0 1 0 0 0 zero 1\n", 2,
         "expected a matrix value, found \"zero\""},
        {"infinite timestamp", "inf " + identity + "\n", 1, "expected a timestamp, found \"inf\""},
        {"conflicting units", "# timestamp in seconds\n# timestamp in nanoseconds\n" + pose, 2,
         "timestamps declared in nanoseconds after line 1 declared them in seconds"},
        // Hostile input: runaway lines are refused, and a message quotes only a short excerpt.
        {"line over 1 MiB", pose + std::string(TextLines::longestLine + 1, '#'), 2,
         "longer than the 1048576 bytes (1 MiB) a line may hold"},
        {"long word", accents(500) + " " + identity, 1, longWordExcerpt.c_str()},
    };
    expectEachNamed<TrackingRecordingError>(cases, "bad.txt",
                                            [](const std::string& text, const std::string& source) {
                                                return TrackingTextFile::fromText(text, source);
                                            });

    EXPECT_EQ(firstTimestamp("# Timestamps in milliseconds\n1500 " + identity), 1.5);
    EXPECT_EQ(firstTimestamp("# time in nanoseconds since boot\n2500000000 " + identity), 2.5);
    EXPECT_EQ(firstTimestamp("# timestamp in seconds\n1700000000000 " + identity), 1.7e12);
    // Declarations are whole words, however long the comment (this once overflowed the stack).
    const std::string blanks(100000, ' ');
    EXPECT_EQ(firstTimestamp("#" + blanks + "TIMESTAMPS\tin" + blanks + "milliseconds.\n1500 " + identity),
              1.5);
    EXPECT_EQ(firstTimestamp("# datetime in milliseconds\n1500 " + identity), 1500);
    EXPECT_EQ(firstTimestamp("# time in millisecondsX\n1500 " + identity), 1500);
    EXPECT_EQ(TrackingTextFile::fromText("#" + blanks + "Transform:" + blanks + "Long\n0 " + identity)
                  .transformNames()
                  .at(0),
              "Long");
    EXPECT_EQ(TrackingTextFile::fromText("# transform: two words\n0 " + identity).transformNames().at(0),
              "Tool");
    // Mixed separators, blank lines and a CRLF line end.
    EXPECT_EQ(
        firstTimestamp("\n  # timestamp in microseconds\r\n\n2000000,1, 0 0 0\t0 1 0 0 0 0 1 0 0 0 0 1\r\n"),
        2.0);

    struct Case
    {
        const char* timestamp;
        double seconds;
    };
    for (const Case& c : {Case{"0", 0}, Case{"12.5", 12.5}, Case{"1700000000.25", 1700000000.25},
                          Case{"1700000000250", 1700000000.25}, Case{"1700000000250000", 1700000000.25},
                          Case{"1700000000250000000", 1700000000.25}}) {
        SCOPED_TRACE(c.timestamp);
        EXPECT_DOUBLE_EQ(firstTimestamp(std::string(c.timestamp) + " " + identity), c.seconds);
    }
    // The first pose decides for the whole file.
    const TrackingRecording read = TrackingTextFile::fromText("2000 " + identity + "\n" + "1e12 " + identity);
    EXPECT_EQ(read.frames[1].timestamp, 1e12);

    const auto refuses = [](const TrackingRecording& recording, const char* expected) {
        SCOPED_TRACE(expected);
        expectNames(
            caught<TrackingRecordingError>([&] { TrackingTextFile::toText(recording, ' ', "out.txt"); }),
            "out.txt", std::nullopt, expected);
    };
    const Eigen::Matrix4d one = Eigen::Matrix4d::Identity();
    refuses({"", {{0, {{"A", one, true}}}, {1, {{"B", one, true}}}}}, "the recording holds 2");
    refuses({"", {{0, {{"A", one, true}}}, {1, {}}}}, "frame 1 holds 0 transforms");
    refuses({"", {{0, {{"A", one, false}}}}}, "frame 0 holds an invalid pose");
    refuses({"", {{0, {{"A", one, true}, {"A", one, true}}}}}, "frame 0 holds 2 transforms");
    refuses({"", {{0, {{"Tool tip", one, true}}}}}, "without blanks");
    refuses({"", {{std::numeric_limits<double>::infinity(), {{"A", one, true}}}}}, "not a finite number");
    EXPECT_THROW(TrackingTextFile::toText(twoPoses(), ';'), TrackingRecordingError);
}

}  // namespace
}  // namespace Tesselon
