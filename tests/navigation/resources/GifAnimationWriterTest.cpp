#include "navigation/resources/generator/GifAnimationWriter.h"

#include <QBuffer>
#include <QColor>
#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

/// The channel differences between two colours.
std::array<int, 3> difference(const QColor& a, const QColor& b)
{
    return {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())};
}

int largestDifference(const QColor& a, const QColor& b)
{
    const auto d = difference(a, b);
    return *std::max_element(d.begin(), d.end());
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
            EXPECT_LE(largestDifference(frame.pixelColor(probe, 15), inSquare ? kSquare : kBackground), 2)
                << "frame " << index << ", x " << probe;
        }
        EXPECT_LE(largestDifference(frame.pixelColor(x + 5, 5), kBackground), 2);
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
            ASSERT_LE(largestDifference(actual, expected), 40) << x << ", " << y;
            const auto d = difference(actual, expected);
            totalError += d[0] + d[1] + d[2];
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
