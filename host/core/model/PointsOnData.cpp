#include "host/core/model/PointsOnData.h"

#include "host/core/base/Log.h"

#include <fmt/format.h>

#include <algorithm>

namespace Tesselon {

namespace {

constexpr const char* kCategory = "PointsOnData";
constexpr const char* kPointsKey = "Points";
constexpr const char* kPointKey = "Point";
constexpr const char* kNameKey = "Name";

}  // namespace

PointsOnData::~PointsOnData() = default;

void PointsOnData::configure(const Properties* properties)
{
    if (!properties)
        return;
    Configurable::configure(properties);
    const Properties* points = properties->subProperty(kPointsKey);
    if (!points)
        return;
    clear();
    int index = 0;
    for (const Properties* block : points->subProperties(kPointKey))
        configurePoint(index++, *block);
}

void PointsOnData::configuration(Properties* properties) const
{
    if (!properties)
        return;
    Configurable::configuration(properties);
    // Rewriting into a used block must not leave the previous list behind.
    while (const Properties* old = properties->subProperty(kPointsKey))
        properties->removeSubProperties(old);
    Properties* points = properties->addSubProperties(kPointsKey);
    for (int i = 0; i < size(); ++i)
        pointConfiguration(i, *points->addSubProperties(kPointKey));
}

int PointsOnData::size() const
{
    return static_cast<int>(allPoints().size());
}

bool PointsOnData::empty() const
{
    return size() == 0;
}

void PointsOnData::clear()
{
    remove(0, size());
}

std::optional<Eigen::Vector3d> PointsOnData::point(int i) const
{
    if (!checkIndex(i, "point"))
        return std::nullopt;
    return allPoints()[static_cast<std::size_t>(i)];
}

void PointsOnData::pointConfiguration(int i, Properties& block) const
{
    if (i < 0 || i >= size())
        return;
    block.setParam(kPointKey, allPoints()[static_cast<std::size_t>(i)]);
    if (i < static_cast<int>(m_names.size()))
        block.setParam(kNameKey, m_names[static_cast<std::size_t>(i)]);
}

std::optional<std::string> PointsOnData::name(int i) const
{
    if (!checkIndex(i, "name"))
        return std::nullopt;
    return m_names[static_cast<std::size_t>(i)];
}

void PointsOnData::setName(int i, std::string text)
{
    if (!checkIndex(i, "setName"))
        return;
    m_names[static_cast<std::size_t>(i)] = std::move(text);
    pointsRenamed.emitSignal(i, i + 1);
}

std::optional<bool> PointsOnData::flag(int i) const
{
    if (!checkIndex(i, "flag"))
        return std::nullopt;
    return m_flags[static_cast<std::size_t>(i)];
}

void PointsOnData::setFlag(int i, bool value)
{
    if (!checkIndex(i, "setFlag"))
        return;
    m_flags[static_cast<std::size_t>(i)] = value;
    pointsChanged.emitSignal(i, i + 1);
}

void PointsOnData::entriesAppended(int count)
{
    if (count <= 0)
        return;
    const int first = static_cast<int>(m_names.size());
    m_names.resize(m_names.size() + static_cast<std::size_t>(count));
    m_flags.resize(m_flags.size() + static_cast<std::size_t>(count), true);
    pointsAdded.emitSignal(first, first + count);
}

void PointsOnData::entriesRemoved(int first, int last)
{
    const auto entries = static_cast<int>(m_names.size());
    first = std::clamp(first, 0, entries);
    last = std::clamp(last, first, entries);
    if (last == first)
        return;
    m_names.erase(m_names.begin() + first, m_names.begin() + last);
    m_flags.erase(m_flags.begin() + first, m_flags.begin() + last);
    pointsRemoved.emitSignal(first, last);
}

std::optional<std::pair<int, int>> PointsOnData::clampedRange(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, size());
    if (last <= first)
        return std::nullopt;
    return std::pair(first, last);
}

bool PointsOnData::checkIndex(int i, const char* operation) const
{
    // The names follow the points, so they bound the index for points, names and flags alike.
    const auto count = static_cast<int>(m_names.size());
    if (i >= 0 && i < count && i < size())
        return true;
    Log::warning(kCategory,
                 fmt::format("{}: invalid index {} (the set has {} points)", operation, i, size()));
    return false;
}

}  // namespace Tesselon
