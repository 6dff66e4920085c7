#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QResource>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// The paths the plug-in loads at run time; renaming any of them breaks it.
const std::set<std::string> kResourcePaths{
    ":/Navigation/ToolCalibration/pivoting.gif",
    ":/Navigation/ToolCalibration/rotation.gif",
    ":/Navigation/ToolCalibration/dip.gif",
    ":/Navigation/ToolCalibration/flip.gif",
    ":/Navigation/Sphere.obj",
};

TEST(ResourceTree, HoldsExactlyTheNavigationFiles)
{
    std::set<std::string> found;
    QDirIterator files(":/Navigation", QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        found.insert(files.next().toStdString());
    EXPECT_EQ(found, kResourcePaths);
}

TEST(ResourceTree, CompressesTheMesh)
{
    const QResource mesh(":/Navigation/Sphere.obj");
    ASSERT_TRUE(mesh.isValid());
    EXPECT_NE(mesh.compressionAlgorithm(), QResource::NoCompression);
    EXPECT_LT(mesh.size(), 200 * 1024) << "stored size";
}

bool nearlyEqual(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <=
           12;
}

/// Whether the drawing keeps clear of the image edges, i.e. nothing was cut off.
bool hasPlainBorder(const QImage& frame)
{
    const QRgb background = frame.pixel(0, 0);
    for (int i = 0; i < frame.width(); ++i) {
        if (!nearlyEqual(frame.pixel(i, 0), background) ||
            !nearlyEqual(frame.pixel(i, frame.height() - 1), background) ||
            !nearlyEqual(frame.pixel(0, i), background) ||
            !nearlyEqual(frame.pixel(frame.width() - 1, i), background))
            return false;
    }
    return true;
}

class CalibrationAnimation : public testing::TestWithParam<const char*>
{
protected:
    QString path() const { return QString(":/Navigation/ToolCalibration/%1.gif").arg(GetParam()); }
};

TEST_P(CalibrationAnimation, IsACompactGif89aLoopingForeverThroughChangingFrames)
{
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.peek(6) == "GIF89a");
    EXPECT_LT(file.size(), 500 * 1024);
    QImageReader reader(path());
    ASSERT_EQ(reader.format(), "gif");
    EXPECT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.loopCount(), -1) << "Qt reports -1 for an animation that loops forever";

    std::vector<QImage> frames;
    QImage frame;
    while (reader.read(&frame))
        frames.push_back(frame.convertToFormat(QImage::Format_RGB32));
    ASSERT_GE(frames.size(), 24u);
    ASSERT_LE(frames.size(), 60u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QImage& next = frames[(i + 1) % frames.size()];
        EXPECT_EQ(frames[i].size(), QSize(256, 256)) << "frame " << i;
        EXPECT_NE(frames[i], next) << "frame " << i << " repeats as the next one";
        EXPECT_TRUE(hasPlainBorder(frames[i])) << "frame " << i << " is cut off at the edge";
    }
}

INSTANTIATE_TEST_SUITE_P(ResourceTree, CalibrationAnimation,
                         testing::Values("pivoting", "rotation", "dip", "flip"));

}  // namespace
