#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingRecordingFile.h"

#include <QTemporaryDir>

#include <Eigen/LU>

#include "tests/support/FormatErrors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

const std::string dataDir = TESSELON_TEST_DATA_DIR;
const std::string landmarkRecording = dataDir + "/EightLandmarkPointsTrackedForPhantomRegistration.igs.mha";
const std::string pivotRecording = dataDir + "/pivot-recording-1151.txt";

// Counts status lines by plain text search, independently of the reader.
int invalidStatusLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(file, line) && !line.starts_with("ElementDataFile");) {
        if (line.find("TransformStatus =") != std::string::npos && line.find("= OK") == std::string::npos)
            ++count;
    }
    return count;
}

void expectRigid(const TrackingRecording& recording, const std::string& name, double tolerance)
{
    for (const TransformSample& sample : recording.samples(name)) {
        const Eigen::Matrix3d rotation = sample.matrix.topLeftCorner<3, 3>();
        ASSERT_TRUE((rotation.transpose() * rotation).isIdentity(tolerance))
            << name << " frame " << sample.frame;
        ASSERT_NEAR(rotation.determinant(), 1.0, tolerance) << name << " frame " << sample.frame;
        ASSERT_EQ(sample.matrix.row(3), Eigen::RowVector4d(0, 0, 0, 1)) << name << " frame " << sample.frame;
    }
}

std::string writtenAndReadBack(const TrackingRecording& recording, const QTemporaryDir& directory,
                               const std::string& fileName, TrackingRecording& read)
{
    const std::string path = directory.filePath(QString::fromStdString(fileName)).toStdString();
    TrackingRecordingFile::write(recording, path);
    read = TrackingRecordingFile::read(path);
    return path;
}

TEST(TrackingRecordingFile, ReadsTheRealSequenceMetafile)
{
    const TrackingRecording recording = TrackingRecordingFile::read(landmarkRecording);

    EXPECT_EQ(recording.sourceName, landmarkRecording);
    ASSERT_EQ(recording.frames.size(), 1000u);
    EXPECT_EQ(recording.transformNames(),
              (std::vector<std::string>{"ReferenceToTracker", "StylusToTracker"}));
    int invalid = 0;
    for (const TrackingFrame& frame : recording.frames) {
        ASSERT_EQ(frame.transforms.size(), 2u);
        for (const TrackedTransform& transform : frame.transforms)
            invalid += transform.valid ? 0 : 1;
    }
    EXPECT_EQ(invalid, invalidStatusLines(landmarkRecording));
    for (std::size_t i = 1; i < recording.frames.size(); ++i)
        ASSERT_GT(recording.frames[i].timestamp, recording.frames[i - 1].timestamp) << i;
    // This recorder's rotations are orthonormal to about 5e-4 only.
    expectRigid(recording, "ReferenceToTracker", 1e-3);
    expectRigid(recording, "StylusToTracker", 1e-3);

    // The first frame as the file writes it: values row by row.
    EXPECT_EQ(recording.frames[0].timestamp, 280.4611428572264);
    const Eigen::Matrix4d& stylus = recording.frames[0].find("StylusToTracker")->matrix;
    EXPECT_EQ(stylus(0, 3), 315.55283203125);
    EXPECT_EQ(stylus(1, 0), 0.5270621377504353);
    EXPECT_EQ(stylus(2, 3), -36.05361328125);
}

TEST(TrackingRecordingFile, RealRecordingsRoundTripExactlyThroughEveryFormatTextInSeconds)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    TrackingRecording read;

    const TrackingRecording landmarks = TrackingRecordingFile::read(landmarkRecording);
    const std::string path = writtenAndReadBack(landmarks, directory, "landmarks.mha", read);
    EXPECT_EQ(read.sourceName, path);
    EXPECT_EQ(read.frames, landmarks.frames);
    writtenAndReadBack(landmarks, directory, "landmarks.MHD", read);
    EXPECT_EQ(read.frames, landmarks.frames);

    const TrackingRecording pivot = TrackingRecordingFile::read(pivotRecording);
    for (const char* name : {"pivot.txt", "pivot.csv", "pivot.tsv", "pivot.mha"}) {
        SCOPED_TRACE(name);
        writtenAndReadBack(pivot, directory, name, read);
        EXPECT_EQ(read.frames, pivot.frames);
    }

    const TrackingRecording& recording = pivot;  // read as a text recording, in seconds
    ASSERT_EQ(recording.frames.size(), 1151u);
    EXPECT_EQ(recording.transformNames(), std::vector<std::string>{"Tool"});
    EXPECT_NEAR(recording.frames.front().timestamp, 1378476416.9227552, 1e-6);
    for (std::size_t i = 1; i < recording.frames.size(); ++i)
        ASSERT_GT(recording.frames[i].timestamp, recording.frames[i - 1].timestamp) << i;
    EXPECT_NEAR(recording.frames.back().timestamp - recording.frames.front().timestamp, 53.8, 0.1);
    expectRigid(recording, "Tool", 1e-6);
    EXPECT_EQ(recording.frames[0].transforms[0].matrix(2, 3), -2017.9345703125);
    EXPECT_EQ(TrackingRecordingFile::read(pivotRecording, "Pointer").transformNames().at(0), "Pointer");
}

TEST(TrackingRecordingFile, FailuresNameTheFilePixelDataIsIgnoredAndSamplesFollowOneTransform)
{
    expectNames(caught<TrackingRecordingError>([] { TrackingRecordingFile::read("poses.json"); }),
                "poses.json", 0, "unknown extension \".json\"");
    expectNames(caught<TrackingRecordingError>([] { TrackingRecordingFile::write({}, "poses"); }), "poses", 0,
                "no file extension");
    const std::string missing = dataDir + "/no-such-recording.mha";
    expectNames(caught<TrackingRecordingError>([&] { TrackingRecordingFile::read(missing); }), missing, 0,
                "cannot open for reading");

    QTemporaryDir directory;
    const std::string path = directory.filePath("image.mha").toStdString();
    std::ofstream(path, std::ios::binary) << "ObjectType = Image\nNDims = 3\nDimSize = 1 1 1\n"
                                             "Seq_Frame0000_Timestamp = 4\nElementDataFile = LOCAL\n"
                                          << std::string("\0\n= =\xff", 6);
    EXPECT_EQ(TrackingRecordingFile::read(path).frames.at(0).timestamp, 4.0);

    const Eigen::Matrix4d one = Eigen::Matrix4d::Identity();
    const TrackingRecording recording{
        "session.mha", {{1, {{"B", one, true}}}, {2, {{"A", 2 * one, false}, {"B", one, true}}}, {3, {}}}};

    EXPECT_EQ(recording.transformNames(), (std::vector<std::string>{"B", "A"}));
    const std::vector<TransformSample> samples = recording.samples("A");
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].frame, 1u);
    EXPECT_EQ(samples[0].timestamp, 2.0);
    EXPECT_EQ(samples[0].matrix, 2 * one);
    EXPECT_FALSE(samples[0].valid);
    EXPECT_EQ(recording.samples("B").size(), 2u);
    try {
        recording.samples("Stylus");
        ADD_FAILURE() << "no error";
    } catch (const TrackingRecordingError& error) {
        EXPECT_STREQ(error.what(),
                     "session.mha: no transform \"Stylus\" in the recording; it holds \"B\", \"A\"");
    }
}

}  // namespace
}  // namespace Tesselon
