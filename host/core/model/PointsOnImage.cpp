#include "host/core/model/PointsOnImage.h"

#include "host/core/base/Log.h"

#include <fmt/format.h>

namespace Tesselon {

namespace {

constexpr const char* kPointKey = "Point";
constexpr const char* kNameKey = "Name";
constexpr const char* kImageKey = "Image";

}  // namespace

void PointsOnImage::remove(int first, int last)
{
    const auto range = clampedRange(first, last);
    if (!range)
        return;
    m_points.erase(m_points.begin() + range->first, m_points.begin() + range->second);
    m_imageIndices.erase(m_imageIndices.begin() + range->first, m_imageIndices.begin() + range->second);
    entriesRemoved(range->first, range->second);
}

void PointsOnImage::addImagePoint(const Eigen::Vector3d& worldPoint, int imageIndex)
{
    m_points.push_back(worldPoint);
    m_imageIndices.push_back(imageIndex);
    entriesAppended(1);
}

void PointsOnImage::addPoints(const std::vector<Eigen::Vector3d>& worldPoints)
{
    m_points.insert(m_points.end(), worldPoints.begin(), worldPoints.end());
    m_imageIndices.resize(m_points.size(), 0);
    entriesAppended(static_cast<int>(worldPoints.size()));
}

bool PointsOnImage::setPoint(int i, const Eigen::Vector3d& worldPoint)
{
    if (!checkIndex(i, "setPoint"))
        return false;
    m_points[static_cast<std::size_t>(i)] = worldPoint;
    entriesChanged(i, i + 1);
    return true;
}

std::optional<int> PointsOnImage::imageIndex(int i) const
{
    if (!checkIndex(i, "imageIndex"))
        return std::nullopt;
    return m_imageIndices[static_cast<std::size_t>(i)];
}

void PointsOnImage::configurePoint(int i, const Properties& block)
{
    Eigen::Vector3d worldPoint;
    if (!block.param(kPointKey, worldPoint)) {
        Log::warning("PointsOnImage",
                     fmt::format("Point entry {} has no valid \"{}\"; skipped.", i, kPointKey));
        return;
    }
    int image = 0;
    block.param(kImageKey, image);
    addImagePoint(worldPoint, image);
    std::string text;
    if (block.param(kNameKey, text))
        setName(size() - 1, std::move(text));
}

void PointsOnImage::pointConfiguration(int i, Properties& block) const
{
    PointsOnData::pointConfiguration(i, block);
    if (i >= 0 && i < size())
        block.setParam(kImageKey, m_imageIndices[static_cast<std::size_t>(i)]);
}

}  // namespace Tesselon
