#pragma once

#include <QByteArray>
#include <QImage>

#include <filesystem>
#include <vector>

namespace Tesselon {

/// Encodes frames into a GIF89a animation that loops forever. Every frame gets its own palette,
/// and only the rectangle that changed since the previous frame is stored.
class GifAnimationWriter
{
public:
    explicit GifAnimationWriter(int frameDelayCentiseconds);

    /// A frame identical to the previous one lengthens that frame's delay instead of being stored.
    /// Throws std::invalid_argument when the size differs from the first frame's.
    void addFrame(const QImage& frame);
    int frameCount() const { return static_cast<int>(m_frames.size()); }

    QByteArray encode() const;
    /// Throws std::runtime_error naming the file when encoding or writing fails.
    void write(const std::filesystem::path& path) const;

private:
    struct Frame
    {
        QImage image;
        int delayCentiseconds;
    };

    int m_frameDelay;
    std::vector<Frame> m_frames;
};

}  // namespace Tesselon
