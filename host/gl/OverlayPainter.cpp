#include "host/gl/OverlayPainter.h"

#include "host/core/base/Log.h"

#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "OverlayPainter";

/// The segments whose both ends are finite; an odd trailing vertex is dropped.
std::vector<OverlayVertex> finiteSegments(const std::vector<OverlayVertex>& vertices)
{
    std::vector<OverlayVertex> kept;
    kept.reserve(vertices.size());
    for (std::size_t i = 0; i + 1 < vertices.size(); i += 2) {
        const auto& a = vertices[i];
        const auto& b = vertices[i + 1];
        if (a.position.allFinite() && b.position.allFinite() && a.color.allFinite() && b.color.allFinite()) {
            kept.push_back(a);
            kept.push_back(b);
        }
    }
    return kept;
}

}  // namespace

void OverlayPainter::begin2D(const GL::Viewport& viewport)
{
    clear();
    m_projection = viewport;
}

void OverlayPainter::drawLines(std::vector<OverlayVertex> vertices, double lineWidth)
{
    std::vector<OverlayVertex> kept = finiteSegments(vertices);
    if (kept.size() != vertices.size())
        Log::error(category, "Dropped overlay line segments with non-finite or unpaired vertices.");
    if (!std::isfinite(lineWidth) || lineWidth <= 0.0) {
        Log::error(category, "Drawing overlay lines of a non-positive or non-finite width with width 1.");
        lineWidth = 1.0;
    }
    m_lineLists.push_back({std::move(kept), lineWidth});
}

void OverlayPainter::drawText(OverlayText text)
{
    if (!text.anchor.allFinite() || !text.color.allFinite()) {
        Log::error(category, "Dropped an overlay text with a non-finite anchor or colour.");
        return;
    }
    m_texts.push_back(std::move(text));
}

void OverlayPainter::drawImage(OverlayImage image)
{
    m_images.push_back(std::move(image));
}

void OverlayPainter::clear()
{
    m_lineLists.clear();
    m_texts.clear();
    m_images.clear();
}

}  // namespace Tesselon
