#include "host/core/io/MarkupsJsonFile.h"

#include "host/core/io/PointListFileError.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace Tesselon {

namespace {

const QString schemaUrl = QStringLiteral(
    "https://raw.githubusercontent.com/slicer/slicer/main/Modules/Loadable/Markups/Resources/Schema/"
    "markups-schema-v1.0.3.json#");
// Any 1.x schema: later minor versions only add optional keys.
const QString schemaMarker = QStringLiteral("markups-schema-v1.");
// In the order of `Markup::Type`.
constexpr std::array<std::string_view, 4> markupTypes = {"Fiducial", "Line", "Curve", "ClosedCurve"};

int lineAt(std::string_view text, int offset)
{
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, std::ssize(text));
    return 1 + static_cast<int>(std::count(text.begin(), end, '\n'));
}

// A JSON value as a message shows it, shortened so that a huge array does not flood the message.
std::string describe(const QJsonValue& value)
{
    if (value.isUndefined())
        return "nothing";
    QJsonArray wrapper{value};
    const std::string text = QJsonDocument(wrapper).toJson(QJsonDocument::Compact).toStdString();
    return PointListFileError::excerpt(std::string_view(text).substr(1, text.size() - 2));
}

class Reader
{
public:
    Reader(std::string_view text, std::string_view source) : m_text(text), m_source(source) {}

    std::vector<Markup> read()
    {
        const QJsonObject root = parse();
        checkSchema(root);
        const QJsonValue markups = root.value("markups");
        if (!markups.isArray())
            fail("markups", "an array of markups", markups);
        std::vector<Markup> result;
        const QJsonArray array = markups.toArray();
        for (int index = 0; index < array.size(); ++index)
            result.push_back(readMarkup(array[index], fmt::format("markups[{}]", index)));
        return result;
    }

private:
    QJsonObject parse() const
    {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray::fromRawData(m_text.data(), static_cast<int>(m_text.size())), &error);
        if (error.error != QJsonParseError::NoError)
            throw PointListFileError(m_source, lineAt(m_text, error.offset),
                                     "malformed JSON: " + error.errorString().toStdString());
        if (!document.isObject())
            throw PointListFileError(m_source, 0, "expected a JSON object holding \"markups\"");
        return document.object();
    }

    void checkSchema(const QJsonObject& root) const
    {
        const QJsonValue schema = root.value("@schema");
        if (!schema.isUndefined() && !schema.toString().contains(schemaMarker))
            fail("@schema", "the URL of a markups schema version 1", schema);
    }

    Markup readMarkup(const QJsonValue& value, const std::string& path) const
    {
        if (!value.isObject())
            fail(path, "a markup object", value);
        const QJsonObject markup = value.toObject();
        Markup result;
        result.type = typeOf(markup.value("type"), path + ".type");
        result.name = optionalString(markup.value("name"), path + ".name");
        checkUnits(markup.value("coordinateUnits"), path + ".coordinateUnits");
        const bool ras = isRas(markup.value("coordinateSystem"), path + ".coordinateSystem");
        const QJsonValue points = markup.value("controlPoints");
        if (!points.isArray())
            fail(path + ".controlPoints", "an array of control points", points);
        const QJsonArray array = points.toArray();
        for (int index = 0; index < array.size(); ++index)
            readPoint(array[index], fmt::format("{}.controlPoints[{}]", path, index), ras, result.points);
        return result;
    }

    Markup::Type typeOf(const QJsonValue& type, const std::string& path) const
    {
        const auto found = std::find(markupTypes.begin(), markupTypes.end(), type.toString().toStdString());
        if (found == markupTypes.end())
            fail(path, "Fiducial, Line, Curve or ClosedCurve", type);
        return static_cast<Markup::Type>(found - markupTypes.begin());
    }

    std::string optionalString(const QJsonValue& value, const std::string& path) const
    {
        if (!value.isUndefined() && !value.isString())
            fail(path, "a string", value);
        return value.toString().toStdString();
    }

    void checkUnits(const QJsonValue& units, const std::string& path) const
    {
        if (!units.isUndefined() && units.toString() != "mm")
            fail(path, "\"mm\"", units);
    }

    bool isRas(const QJsonValue& system, const std::string& path) const
    {
        if (system.isUndefined() || system.toString() == "LPS")
            return false;
        if (system.toString() == "RAS")
            return true;
        fail(path, "\"LPS\" or \"RAS\"", system);
    }

    void readPoint(const QJsonValue& value, const std::string& path, bool ras,
                   std::vector<PointList::Point>& points) const
    {
        if (!value.isObject())
            fail(path, "a control point object", value);
        const QJsonObject point = value.toObject();
        if (isPlaceholder(point.value("positionStatus"), path + ".positionStatus"))
            return;
        Eigen::Vector3d position = readPosition(point.value("position"), path + ".position");
        if (ras)
            position.head<2>() = -position.head<2>();
        points.push_back({position, optionalString(point.value("label"), path + ".label")});
    }

    bool isPlaceholder(const QJsonValue& status, const std::string& path) const
    {
        if (status.isUndefined() || status.toString() == "defined" || status.toString() == "preview")
            return false;
        if (status.toString() == "undefined")
            return true;
        fail(path, "\"defined\", \"preview\" or \"undefined\"", status);
    }

    Eigen::Vector3d readPosition(const QJsonValue& value, const std::string& path) const
    {
        const QJsonArray array = value.toArray();
        if (!value.isArray() || array.size() != 3)
            fail(path, "3 finite numbers", value);
        Eigen::Vector3d position;
        for (int axis = 0; axis < 3; ++axis) {
            if (!array[axis].isDouble() || !std::isfinite(array[axis].toDouble()))
                fail(path, "3 finite numbers", value);
            position[axis] = array[axis].toDouble();
        }
        return position;
    }

    [[noreturn]] void fail(const std::string& path, std::string_view expected, const QJsonValue& found) const
    {
        throw PointListFileError(m_source, 0,
                                 fmt::format("{}: expected {}, found {}", path, expected, describe(found)));
    }

    std::string_view m_text;
    std::string m_source;
};

QString checkedLabel(const std::string& label, std::size_t index, std::string_view target)
{
    const QString converted = QString::fromStdString(label);
    if (converted.toStdString() != label)
        throw PointListFileError(std::string(target), 0,
                                 fmt::format("the label of point {} is not valid UTF-8", index));
    return converted;
}

QJsonObject controlPoint(const PointList::Point& point, std::size_t index, std::string_view target)
{
    if (!point.position.allFinite())
        throw PointListFileError(
            std::string(target), 0,
            fmt::format("point {} (\"{}\") has a position that is not finite", index, point.label));
    return QJsonObject{
        {"id", QString::number(index + 1)},
        {"label", checkedLabel(point.label, index, target)},
        {"position", QJsonArray{point.position.x(), point.position.y(), point.position.z()}},
        {"positionStatus", "defined"},
    };
}

}  // namespace

std::string MarkupsJsonFile::toText(const PointList& points, std::string_view targetName)
{
    QJsonArray controlPoints;
    for (std::size_t index = 0; index < points.points.size(); ++index)
        controlPoints.append(controlPoint(points.points[index], index, targetName));
    const QJsonObject markup{
        {"type", "Fiducial"},
        {"coordinateSystem", "LPS"},
        {"coordinateUnits", "mm"},
        {"controlPoints", controlPoints},
    };
    const QJsonObject root{{"@schema", schemaUrl}, {"markups", QJsonArray{markup}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

PointList MarkupsJsonFile::fromText(std::string_view text, std::string_view sourceName)
{
    PointList list;
    list.sourceName = sourceName;
    for (Markup& markup : markupsFromText(text, sourceName))
        list.points.insert(list.points.end(), markup.points.begin(), markup.points.end());
    return list;
}

std::vector<Markup> MarkupsJsonFile::markupsFromText(std::string_view text, std::string_view sourceName)
{
    return Reader(text, sourceName).read();
}

}  // namespace Tesselon
