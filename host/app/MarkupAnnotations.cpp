#include "host/app/MarkupAnnotations.h"

#include "host/core/io/PointListFile.h"
#include "host/core/io/PointListFileError.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSpline.h"

#include <fmt/core.h>

#include <filesystem>
#include <stdexcept>

namespace Tesselon {
namespace {

constexpr const char* kindKey = "kind";
constexpr const char* nameKey = "name";
constexpr const char* pointGroup = "Point";
constexpr const char* positionKey = "position";
const Eigen::Vector3d pointColour(0.3, 0.8, 1.0);
// Planned paths stand out against the grey volume and the cyan points.
const Eigen::Vector3d pathColour(1.0, 0.8, 0.2);

// In the order of `Markup::Type`, for messages.
constexpr const char* typeNames[] = {"Fiducial", "Line", "Curve", "ClosedCurve"};

std::unique_ptr<GlPointBasedAnnotation> objectOf(Markup::Type type)
{
    if (type == Markup::Type::Fiducial)
        return std::make_unique<GlPoint>();
    if (type == Markup::Type::Line)
        return std::make_unique<GlLine>();
    return std::make_unique<GlSpline>();
}

std::vector<Eigen::Vector3d> pathPoints(const Markup& markup)
{
    std::vector<Eigen::Vector3d> points;
    for (const PointList::Point& point : markup.points)
        points.push_back(point.position);
    if (markup.type == Markup::Type::Line)
        points.resize(std::min<std::size_t>(points.size(), 2));
    if (markup.type == Markup::Type::ClosedCurve && !points.empty())
        points.push_back(points.front());
    return points;
}

std::unique_ptr<GlPointBasedAnnotation> objectFrom(const Markup& markup, std::size_t index,
                                                   const std::string& path)
{
    if (markup.type != Markup::Type::Fiducial && markup.points.size() < 2)
        throw PointListFileError(path, 0,
                                 fmt::format("markups[{}]: a {} needs two points or more, found {}", index,
                                             typeNames[static_cast<int>(markup.type)], markup.points.size()));
    auto object = objectOf(markup.type);
    object->setPoints(pathPoints(markup));
    if (markup.type == Markup::Type::Fiducial)
        object->setColor(pointColour);
    else
        MarkupAnnotations::setPathColour(*object);
    return object;
}

std::unique_ptr<GlPointBasedAnnotation> objectOfKind(const std::string& kind)
{
    if (kind == "Line")
        return std::make_unique<GlLine>();
    if (kind == "Curve")
        return std::make_unique<GlSpline>();
    throw std::runtime_error(
        fmt::format("\"{}\" is no kind of drawn annotation; expected Line or Curve.", kind));
}

}  // namespace

std::vector<std::unique_ptr<GlPointBasedAnnotation>> MarkupAnnotations::read(const std::string& path)
{
    const std::vector<Markup> markups = PointListFile::readMarkups(path);
    const std::string fileName = std::filesystem::path(path).filename().string();
    std::vector<std::unique_ptr<GlPointBasedAnnotation>> objects;
    for (std::size_t index = 0; index < markups.size(); ++index) {
        auto object = objectFrom(markups[index], index, path);
        object->setName(!markups[index].name.empty() ? markups[index].name
                        : markups.size() == 1        ? fileName
                                                     : fmt::format("{} {}", fileName, index + 1));
        objects.push_back(std::move(object));
    }
    return objects;
}

void MarkupAnnotations::setPathColour(GlPointBasedAnnotation& annotation)
{
    annotation.setColor(pathColour);
}

std::string MarkupAnnotations::kindOf(const GlPointBasedAnnotation& annotation)
{
    if (dynamic_cast<const GlLine*>(&annotation))
        return "Line";
    if (dynamic_cast<const GlSpline*>(&annotation))
        return "Curve";
    return "Points";
}

Properties MarkupAnnotations::toConfiguration(const GlPointBasedAnnotation& annotation)
{
    Properties configuration;
    configuration.setParam(kindKey, kindOf(annotation));
    configuration.setParam(nameKey, annotation.name());
    for (const Eigen::Vector3d& point : annotation.points())
        configuration.addSubProperties(pointGroup)->setParam(positionKey, point);
    return configuration;
}

std::unique_ptr<GlPointBasedAnnotation> MarkupAnnotations::fromConfiguration(const Properties& configuration)
{
    std::string kind;
    configuration.param(kindKey, kind);
    auto object = objectOfKind(kind);
    std::string name;
    configuration.param(nameKey, name);
    object->setName(name);
    std::vector<Eigen::Vector3d> points;
    for (const Properties* point : configuration.subProperties(pointGroup)) {
        Eigen::Vector3d position;
        if (!point->param(positionKey, position) || !position.allFinite())
            throw std::runtime_error(
                fmt::format("point {} of \"{}\" is not three finite numbers.", points.size() + 1, name));
        points.push_back(position);
    }
    if (points.size() < 2)
        throw std::runtime_error(
            fmt::format("\"{}\" has {} points; a line or curve needs two or more.", name, points.size()));
    object->setPoints(points);
    setPathColour(*object);
    return object;
}

}  // namespace Tesselon
