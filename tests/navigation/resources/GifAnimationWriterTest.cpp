#include "navigation/resources/generator/GifAnimationWriter.h"

#include <QBuffer>
#include <QColor>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace Tesselon {
namespace {

const QColor kBackground(230, 232, 236);
const QColor kSquare(200, 40, 30);

QImage frameWithSquareAt(int x)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter(&image).fillRect(x, 10, 10, 10, kSquare);
    return image;
}

struct Decoded
{
    std::vector<QImage> frames;
    std::vector<int> delaysMs;
    int loopCount = 0;
};

Decoded decode(QByteArray data)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    Decoded decoded;
    decoded.loopCount = reader.loopCount();
    QImage frame;
    while (reader.read(&frame)) {
        decoded.frames.push_back(frame.convertToFormat(QImage::Format_RGB32));
        decoded.delaysMs.push_back(reader.nextImageDelay());
    }
    return decoded;
}

::testing::AssertionResult isNear(const QColor& actual, const QColor& expected, int tolerance)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance &&
        std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name().toStdString() << " is not near " << expected.name().toStdString();
}

TEST(GifAnimationWriter, WritesALoopingGif89aWhoseDecodedFramesShowWhatWasDrawn)
{
    // Later frames store only the changed rectangle; the decoder must still see the square move.
    GifAnimationWriter writer(5);
    const int xs[] = {0, 12, 28};
    for (const int x : xs)
        writer.addFrame(frameWithSquareAt(x));
    const QByteArray data = writer.encode();
    EXPECT_TRUE(data.startsWith("GIF89a"));
    EXPECT_TRUE(data.contains(QByteArray("NETSCAPE2.0\x03\x01\x00\x00", 16)));
    const Decoded decoded = decode(data);
    EXPECT_EQ(decoded.loopCount, -1) << "Qt reports -1 for an animation that loops forever";

    ASSERT_EQ(decoded.frames.size(), 3u);
    for (int index = 0; index < 3; ++index) {
        const QImage& frame = decoded.frames[index];
        const int x = xs[index];
        ASSERT_EQ(frame.size(), QSize(40, 30));
        for (int probe = 0; probe < 40; probe += 3) {
            const bool inSquare = probe >= x && probe < x + 10;
            EXPECT_TRUE(isNear(frame.pixelColor(probe, 15), inSquare ? kSquare : kBackground, 2))
                << "frame " << index << ", x " << probe;
        }
        EXPECT_TRUE(isNear(frame.pixelColor(x + 5, 5), kBackground, 2));
    }
}

TEST(GifAnimationWriter, ApproximatesFramesWithMoreThan256Colours)
{
    QImage gradient(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient.setPixelColor(x, y, QColor(x * 4, y * 4, 255 - x * 2));
    GifAnimationWriter writer(5);
    writer.addFrame(gradient);
    const Decoded decoded = decode(writer.encode());

    ASSERT_EQ(decoded.frames.size(), 1u);
    // 4,096 colours in 256 entries: close on average, never far off (a swapped channel would be).
    double totalError = 0.0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QColor actual = decoded.frames[0].pixelColor(x, y);
            const QColor expected = gradient.pixelColor(x, y);
            ASSERT_TRUE(isNear(actual, expected, 40)) << x << ", " << y;
            totalError += std::abs(actual.red() - expected.red()) +
                          std::abs(actual.green() - expected.green()) +
                          std::abs(actual.blue() - expected.blue());
        }
    EXPECT_LT(totalError / (64 * 64 * 3), 8.0);
}

TEST(GifAnimationWriter, MergesARepeatedFrameIntoALongerDelay)
{
    GifAnimationWriter writer(4);
    writer.addFrame(frameWithSquareAt(0));
    writer.addFrame(frameWithSquareAt(0));
    writer.addFrame(frameWithSquareAt(20));
    EXPECT_EQ(writer.frameCount(), 2);

    const Decoded decoded = decode(writer.encode());
    ASSERT_EQ(decoded.frames.size(), 2u);
    EXPECT_EQ(decoded.delaysMs[0], 80);
    EXPECT_EQ(decoded.delaysMs[1], 40);
}

TEST(GifAnimationWriter, RejectsBadInputAndNamesTheFileItCannotWrite)
{
    EXPECT_THROW(GifAnimationWriter(0), std::invalid_argument);
    GifAnimationWriter writer(5);
    EXPECT_THROW(writer.encode(), std::runtime_error);
    writer.addFrame(frameWithSquareAt(0));
    EXPECT_THROW(writer.addFrame(QImage(41, 30, QImage::Format_RGB32)), std::invalid_argument);
    try {
        writer.write("/nonexistent-folder/animation.gif");
        FAIL() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/animation.gif"), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace Tesselon
