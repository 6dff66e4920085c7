#include "navigation/resources/generator/GifAnimationWriter.h"

#include <fmt/format.h>
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Tesselon {
namespace {

struct GifCloser
{
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

struct ColorMapDeleter
{
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

int appendToBuffer(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

void check(int result, const GifFileType* gif, const char* step)
{
    if (result == GIF_ERROR) {
        throw std::runtime_error(fmt::format("GIF encoder: {} failed: {}", step, GifErrorString(gif->Error)));
    }
}

void putLoopForever(GifFileType* gif)
{
    // The NETSCAPE2.0 application extension with a repeat count of 0 means "loop forever".
    const std::array<GifByteType, 3> repeatForever{1, 0, 0};
    check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, "loop extension");
    check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), gif, "loop extension");
    check(EGifPutExtensionBlock(gif, static_cast<int>(repeatForever.size()), repeatForever.data()), gif,
          "loop extension");
    check(EGifPutExtensionTrailer(gif), gif, "loop extension");
}

void putDelay(GifFileType* gif, int delayCentiseconds)
{
    // Later frames cover only part of the screen, so the previous frame must stay in place.
    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delayCentiseconds, NO_TRANSPARENT_COLOR};
    std::array<GifByteType, 4> extension{};
    const auto length = EGifGCBToExtension(&control, extension.data());
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension.data()), gif,
          "frame delay");
}

QRect changedRect(const QImage& previous, const QImage& current)
{
    int left = current.width(), right = -1, top = current.height(), bottom = -1;
    for (int y = 0; y < current.height(); ++y) {
        const auto* before = reinterpret_cast<const QRgb*>(previous.constScanLine(y));
        const auto* after = reinterpret_cast<const QRgb*>(current.constScanLine(y));
        for (int x = 0; x < current.width(); ++x) {
            if (before[x] != after[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    // Identical frames are merged when added, but a 1x1 rectangle keeps the encoder valid regardless.
    return right < 0 ? QRect(0, 0, 1, 1) : QRect(QPoint(left, top), QPoint(right, bottom));
}

constexpr int kPaletteSize = 256;
/// Colours of flat areas are kept exact in every frame, so they look the same whatever else a frame's
/// palette holds and the rectangles that later frames repaint do not show as patches.
constexpr std::size_t kMostExactColours = 64;
constexpr std::size_t kFlatAreaPixels = 16;

struct IndexedImage
{
    std::vector<GifColorType> palette;
    std::vector<GifByteType> indices;
};

GifColorType toGifColor(QRgb rgb)
{
    return {static_cast<GifByteType>(qRed(rgb)), static_cast<GifByteType>(qGreen(rgb)),
            static_cast<GifByteType>(qBlue(rgb))};
}

std::vector<QRgb> pixelsIn(const QImage& image, const QRect& rect)
{
    std::vector<QRgb> pixels;
    pixels.reserve(static_cast<std::size_t>(rect.width()) * static_cast<std::size_t>(rect.height()));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            pixels.push_back(line[x] | 0xff000000u);
        }
    }
    return pixels;
}

/// Colours with their pixel counts, most frequent first.
std::vector<std::pair<QRgb, std::size_t>> coloursByFrequency(const std::vector<QRgb>& pixels)
{
    std::unordered_map<QRgb, std::size_t> counts;
    for (const QRgb pixel : pixels) {
        ++counts[pixel];
    }
    std::vector<std::pair<QRgb, std::size_t>> ranked(counts.begin(), counts.end());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    return ranked;
}

/// Median-cut palette for the given pixels. giflib's quantiser reports each colour at the low corner
/// of its 5-bit cell, darkening the picture; the mean of the pixels mapped to an entry is unbiased.
std::vector<GifColorType> quantise(std::vector<GifByteType>& red, std::vector<GifByteType>& green,
                                   std::vector<GifByteType>& blue, int colourCount,
                                   std::vector<GifByteType>& indices)
{
    std::vector<GifColorType> palette(static_cast<std::size_t>(colourCount));
    indices.resize(red.size());
    if (GifQuantizeBuffer(static_cast<unsigned>(red.size()), 1, &colourCount, red.data(), green.data(),
                          blue.data(), indices.data(), palette.data()) == GIF_ERROR) {
        throw std::runtime_error("GIF encoder: colour quantisation failed");
    }
    std::vector<std::array<std::size_t, 4>> sums(palette.size());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        auto& sum = sums[indices[i]];
        sum[0] += red[i];
        sum[1] += green[i];
        sum[2] += blue[i];
        ++sum[3];
    }
    for (std::size_t entry = 0; entry < palette.size(); ++entry) {
        const auto& [r, g, b, count] = sums[entry];
        if (count > 0) {
            palette[entry] = {static_cast<GifByteType>((r + count / 2) / count),
                              static_cast<GifByteType>((g + count / 2) / count),
                              static_cast<GifByteType>((b + count / 2) / count)};
        }
    }
    return palette;
}

/// How many of the ranked colours get an exact palette entry: all when they fit, else the flat areas'.
std::size_t exactColourCount(const std::vector<std::pair<QRgb, std::size_t>>& ranked)
{
    if (ranked.size() <= static_cast<std::size_t>(kPaletteSize)) {
        return ranked.size();
    }
    std::size_t count = 0;
    while (count < kMostExactColours && ranked[count].second >= kFlatAreaPixels) {
        ++count;
    }
    return count;
}

/// The most frequent colours exactly, the rest through the quantiser.
IndexedImage toIndexed(const std::vector<QRgb>& pixels)
{
    const auto ranked = coloursByFrequency(pixels);
    const std::size_t exactCount = exactColourCount(ranked);
    std::unordered_map<QRgb, GifByteType> exactIndex;
    IndexedImage indexed;
    for (std::size_t i = 0; i < exactCount; ++i) {
        exactIndex.emplace(ranked[i].first, static_cast<GifByteType>(i));
        indexed.palette.push_back(toGifColor(ranked[i].first));
    }

    std::vector<GifByteType> red, green, blue, restIndices;
    for (const QRgb pixel : pixels) {
        if (!exactIndex.contains(pixel)) {
            red.push_back(static_cast<GifByteType>(qRed(pixel)));
            green.push_back(static_cast<GifByteType>(qGreen(pixel)));
            blue.push_back(static_cast<GifByteType>(qBlue(pixel)));
        }
    }
    if (!red.empty()) {
        const auto rest =
            quantise(red, green, blue, kPaletteSize - static_cast<int>(exactCount), restIndices);
        indexed.palette.insert(indexed.palette.end(), rest.begin(), rest.end());
    }

    indexed.indices.reserve(pixels.size());
    std::size_t nextRest = 0;
    for (const QRgb pixel : pixels) {
        const auto exact = exactIndex.find(pixel);
        indexed.indices.push_back(exact != exactIndex.end()
                                      ? exact->second
                                      : static_cast<GifByteType>(exactCount + restIndices[nextRest++]));
    }
    return indexed;
}

void putImage(GifFileType* gif, const QImage& image, const QRect& rect)
{
    IndexedImage indexed = toIndexed(pixelsIn(image, rect));
    // Colour tables must hold a power of two entries.
    indexed.palette.resize(static_cast<std::size_t>(1)
                           << GifBitSize(static_cast<int>(indexed.palette.size())));
    const std::unique_ptr<ColorMapObject, ColorMapDeleter> map(
        GifMakeMapObject(static_cast<int>(indexed.palette.size()), indexed.palette.data()));
    if (!map) {
        throw std::runtime_error("GIF encoder: out of memory for a colour table");
    }
    check(EGifPutImageDesc(gif, rect.left(), rect.top(), rect.width(), rect.height(), false, map.get()), gif,
          "image descriptor");
    for (int row = 0; row < rect.height(); ++row) {
        check(EGifPutLine(gif, indexed.indices.data() + static_cast<std::size_t>(row) * rect.width(),
                          rect.width()),
              gif, "image data");
    }
}

}  // namespace

GifAnimationWriter::GifAnimationWriter(int frameDelayCentiseconds) : m_frameDelay(frameDelayCentiseconds)
{
    if (frameDelayCentiseconds < 1 || frameDelayCentiseconds > 0xffff) {
        throw std::invalid_argument(
            fmt::format("GIF encoder: frame delay {} cs out of range", frameDelayCentiseconds));
    }
}

void GifAnimationWriter::addFrame(const QImage& frame)
{
    QImage image = frame.convertToFormat(QImage::Format_RGB32);
    if (!m_frames.empty()) {
        Frame& last = m_frames.back();
        if (image.size() != last.image.size()) {
            throw std::invalid_argument(
                fmt::format("GIF encoder: frame of {}x{} differs from the first frame's {}x{}", image.width(),
                            image.height(), last.image.width(), last.image.height()));
        }
        if (image == last.image) {
            last.delayCentiseconds = std::min(last.delayCentiseconds + m_frameDelay, 0xffff);
            return;
        }
    }
    m_frames.push_back({std::move(image), m_frameDelay});
}

QByteArray GifAnimationWriter::encode() const
{
    if (m_frames.empty()) {
        throw std::runtime_error("GIF encoder: no frames to encode");
    }
    QByteArray out;
    int error = 0;
    GifHandle gif(EGifOpen(&out, appendToBuffer, &error));
    if (!gif) {
        throw std::runtime_error(fmt::format("GIF encoder: cannot start: {}", GifErrorString(error)));
    }
    EGifSetGifVersion(gif.get(), true);
    const QSize size = m_frames.front().image.size();
    check(EGifPutScreenDesc(gif.get(), size.width(), size.height(), 8, 0, nullptr), gif.get(),
          "screen descriptor");
    putLoopForever(gif.get());

    const QImage* previous = nullptr;
    for (const Frame& frame : m_frames) {
        const QRect rect = previous ? changedRect(*previous, frame.image) : frame.image.rect();
        putDelay(gif.get(), frame.delayCentiseconds);
        putImage(gif.get(), frame.image, rect);
        previous = &frame.image;
    }
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) {
        throw std::runtime_error(fmt::format("GIF encoder: cannot finish: {}", GifErrorString(error)));
    }
    return out;
}

void GifAnimationWriter::write(const std::filesystem::path& path) const
{
    QByteArray data;
    try {
        data = encode();
    } catch (const std::exception& error) {
        throw std::runtime_error(fmt::format("{}: {}", path.string(), error.what()));
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data.constData(), data.size());
    if (!file) {
        throw std::runtime_error(fmt::format("{}: cannot write the animation", path.string()));
    }
}

}  // namespace Tesselon
