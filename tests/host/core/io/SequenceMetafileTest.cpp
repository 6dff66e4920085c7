#include "host/core/io/SequenceMetafile.h"
#include "host/core/io/TrackingRecordingError.h"

#include "tests/support/MalformedTexts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

using namespace std::string_literals;

Eigen::Matrix4d numbered(double start)
{
    Eigen::Matrix4d matrix;
    for (int i = 0; i < 16; ++i)
        matrix(i / 4, i % 4) = start + i;
    return matrix;
}

// Frame 1 lacks the reference and holds an invalid stylus pose.
TrackingRecording smallRecording()
{
    TrackingRecording recording;
    recording.frames.push_back(
        {0.5, {{"StylusToTracker", numbered(1), true}, {"ReferenceToTracker", numbered(0.25), true}}});
    recording.frames.push_back({0.75, {{"StylusToTracker", numbered(-8), false}}});
    return recording;
}

const std::string smallRecordingText =
    "ObjectType = Image\n"
    "NDims = 3\n"
    "DimSize = 0 0 2\n"
    "Kinds = domain domain list\n"
    "ElementType = MET_UCHAR\n"
    "Seq_Frame0000_StylusToTrackerTransform = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
    "Seq_Frame0000_StylusToTrackerTransformStatus = OK\n"
    "Seq_Frame0000_ReferenceToTrackerTransform = 0.25 1.25 2.25 3.25 4.25 5.25 6.25 7.25 8.25 9.25 10.25 "
    "11.25 12.25 13.25 14.25 15.25\n"
    "Seq_Frame0000_ReferenceToTrackerTransformStatus = OK\n"
    "Seq_Frame0000_Timestamp = 0.5\n"
    "Seq_Frame0001_StylusToTrackerTransform = -8 -7 -6 -5 -4 -3 -2 -1 0 1 2 3 4 5 6 7\n"
    "Seq_Frame0001_StylusToTrackerTransformStatus = INVALID\n"
    "Seq_Frame0001_Timestamp = 0.75\n"
    "ElementDataFile = LOCAL\n";

const std::string identity = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";

std::string header(int frames)
{
    return "ObjectType = Image\nNDims = 3\nDimSize = 0 0 " + std::to_string(frames) + "\n";
}

TEST(SequenceMetafile, RoundTripKeepsEveryBitAndReadingAcceptsWhatOtherWritersProduce)
{
    using Limits = std::numeric_limits<double>;
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Random();
    matrix(0, 0) = -0.0;
    matrix(1, 2) = Limits::denorm_min();
    matrix(2, 1) = Limits::max();
    matrix(3, 3) = 0.1;
    TrackingRecording recording;
    recording.frames.push_back({1378476416.9227552, {{"A", matrix, true}}});
    recording.frames.push_back({-1e-300, {}});

    const TrackingRecording read = SequenceMetafile::fromText(SequenceMetafile::toText(recording));

    ASSERT_EQ(read.frames, recording.frames);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read.frames[0].transforms[0].matrix(0, 0)),
              std::bit_cast<std::uint64_t>(-0.0));

    // Any frame-number width, CRLF line ends, unknown keys, other frame fields, a status other than OK,
    // a transform without status, and binary pixel data after the header.
    const std::string text =
        header(13) + "Kinds = domain domain list\r\nUltrasoundImageOrientation = XX\r\n" +
        "Seq_Frame0_Timestamp = 1\r\n" + "Seq_Frame0_ProbeToTrackerTransform = " + identity + "\r\n" +
        "Seq_Frame0_ProbeToTrackerTransformStatus = MISSING\r\n" + "Seq_Frame0_ImageStatus = INVALID\r\n" +
        "Seq_Frame000012_ProbeToTrackerTransform = " + identity + "\r\n" +
        "Seq_Frame000012_Timestamp = 2\r\n";
    std::string body;
    for (int i = 1; i < 12; ++i)
        body += "Seq_Frame" + std::to_string(i) + "_Timestamp = 1.5\n";
    const std::string pixels = "ElementDataFile = LOCAL\r\n\x00\xff=\n\x01no key here\n"s;

    const TrackingRecording other = SequenceMetafile::fromText(text + body + pixels);

    ASSERT_EQ(other.frames.size(), 13u);
    EXPECT_FALSE(other.frames[0].find("ProbeToTracker")->valid);
    EXPECT_TRUE(other.frames[12].find("ProbeToTracker")->valid);
    EXPECT_EQ(other.frames[12].timestamp, 2.0);
    EXPECT_EQ(other.samples("ProbeToTracker").size(), 2u);
}

TEST(SequenceMetafile, MalformedHeadersNameTheLineUnreadableRecordingsAreRefusedGoldenTextReadsBack)
{
    const std::string end = "ElementDataFile = LOCAL\n", stamp = "Seq_Frame0000_Timestamp = 1\n";
    const std::vector<Malformed> cases = {
        {"15 matrix values",
         header(1) + "Seq_Frame0000_ATransform = 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n" + end, 4,
         "16 values of a 4x4 matrix row by row, found 15"},
        {"17 matrix values", header(1) + "Seq_Frame0000_ATransform = " + identity + " 1\n" + end, 4,
         "found 17 values"},
        {"word in matrix", header(1) + "Seq_Frame0000_ATransform = 1 0 0 0 0 1 0 0 0 0 1 0 0 0 x 1\n" + end,
         4, "expected a matrix value, found \"x\""},
        {"nan in matrix", header(1) + "Seq_Frame0000_ATransform = 1 0 0 0 0 1 0 0 0 0 1 0 0 0 nan 1\n" + end,
         4, "found \"nan\""},
        {"word timestamp", header(1) + "Seq_Frame0000_Timestamp = soon\n" + end, 4,
         "expected a timestamp in seconds, found \"soon\""},
        {"frame beyond DimSize", header(2) + stamp + "Seq_Frame0002_Timestamp = 1\n" + end, 5,
         "frame 2 is beyond the 2 frames that DimSize declares"},
        {"no '='", header(1) + stamp + "Seq_Frame0000_ATransform " + identity + "\n" + end, 5,
         "expected \"key = value\""},
        {"no key", header(1) + " = 3\n" + end, 4, "expected a key before '='"},
        {"key twice", header(1) + stamp + stamp + end, 5,
         "\"Seq_Frame0000_Timestamp\" appears twice; first on line 4"},
        {"frame numbered twice", header(1) + stamp + "Seq_Frame0_Timestamp = 2\n" + end, 5,
         "a second timestamp for frame 0; the first is on line 4"},
        {"matrix numbered twice",
         header(1) + stamp + "Seq_Frame0_ATransform = " + identity +
             "\nSeq_Frame0000_ATransform = " + identity + "\n" + end,
         6, "a second matrix of \"A\" for frame 0"},
        {"status numbered twice",
         header(1) + stamp + "Seq_Frame0_ATransform = " + identity +
             "\nSeq_Frame0_ATransformStatus = OK\nSeq_Frame00_ATransformStatus = INVALID\n" + end,
         7, "a second status of \"A\" for frame 0"},
        {"bad frame key", header(1) + "Seq_FrameX_Timestamp = 1\n" + end, 4,
         "expected a key \"Seq_Frame<number>_<field>\""},
        {"frame key without field", header(1) + "Seq_Frame0000_ = 1\n" + end, 4, "Seq_Frame<number>_<field>"},
        {"empty status",
         header(1) + stamp + "Seq_Frame0000_ATransform = " + identity +
             "\nSeq_Frame0000_ATransformStatus =\n" + end,
         6, "expected a status"},
        {"status without matrix", header(1) + stamp + "Seq_Frame0000_ATransformStatus = OK\n" + end, 5,
         "status for transform \"A\" of frame 0, which has no matrix"},
        {"nameless transform", header(1) + "Seq_Frame0000_Transform = " + identity + "\n" + end, 4,
         "expected a transform name"},
        {"frame without timestamp", header(2) + stamp + end, 3,
         "DimSize declares 2 frames but frame 1 has no timestamp"},
        {"DimSize against NDims", "ObjectType = Image\nNDims = 3\nDimSize = 0 4\n" + end, 3,
         "expected 3 sizes"},
        {"negative DimSize", "ObjectType = Image\nNDims = 3\nDimSize = 0 0 -1\n" + end, 3, "found \"-1\""},
        {"not an image", "ObjectType = Mesh\nNDims = 3\nDimSize = 0 0 0\n" + end, 1,
         "\"ObjectType = Image\""},
        {"no DimSize", "ObjectType = Image\nNDims = 3\n" + end, 0, "no \"DimSize = ...\""},
        {"no ElementDataFile", header(1) + stamp, 0, "ends without \"ElementDataFile = ...\""},
        // Hostile input: declared sizes are held against the header before anything is allocated, and a
        // message quotes only a short excerpt.
        {"frames beyond the header", "ObjectType = Image\nNDims = 1\nDimSize = 100000000\n" + stamp + end, 3,
         "DimSize declares 100000000 frames, but the header holds only 5 lines"},
        {"long line", header(1) + std::string(3000, 'k') + "\n" + end, 4,
         "found \"kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk…\""},
    };
    expectEachNamed<TrackingRecordingError>(cases, "bad.mha", SequenceMetafile::fromText);

    EXPECT_EQ(SequenceMetafile::toText(smallRecording()), smallRecordingText);
    const TrackingRecording read = SequenceMetafile::fromText(smallRecordingText, "small.mha");
    EXPECT_EQ(read.sourceName, "small.mha");
    EXPECT_EQ(read.frames, smallRecording().frames);
    EXPECT_EQ(read.transformNames(), (std::vector<std::string>{"StylusToTracker", "ReferenceToTracker"}));

    const auto refuses = [](TrackingRecording recording, const char* expected) {
        SCOPED_TRACE(expected);
        expectNames(caught<TrackingRecordingError>([&] { SequenceMetafile::toText(recording, "out.mha"); }),
                    "out.mha", std::nullopt, expected);
    };
    const Eigen::Matrix4d one = Eigen::Matrix4d::Identity();
    refuses({"", {{0, {{"Stylus To Tracker", one, true}}}}}, "cannot be a key");
    refuses({"", {{0, {{"A=B", one, true}}}}}, "cannot be a key");
    refuses({"", {{0, {{"", one, true}}}}}, "cannot be a key");
    refuses({"", {{0, {{"A", one, true}, {"A", one, false}}}}}, "holds the transform \"A\" twice");
    refuses({"", {{0, {{"A", Eigen::Matrix4d::Constant(std::numeric_limits<double>::infinity()), true}}}}},
            "not a finite number");
    refuses({"", {{std::numeric_limits<double>::quiet_NaN(), {}}}}, "not a finite number");
}

}  // namespace
}  // namespace Tesselon
