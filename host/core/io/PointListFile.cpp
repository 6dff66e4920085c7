#include "host/core/io/PointListFile.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/MarkupsJsonFile.h"
#include "host/core/io/PointCsvFile.h"
#include "host/core/io/PointListFileError.h"

#include <QByteArray>
#include <QString>

namespace Tesselon {

namespace {

enum class Format
{
    MarkupsJson,
    CommaSeparated,
};

Format formatOf(const std::string& path)
{
    const QString name = QString::fromStdString(path).toLower();
    if (name.endsWith(".json"))
        return Format::MarkupsJson;
    if (name.endsWith(".csv"))
        return Format::CommaSeparated;
    throw PointListFileError(path, 0,
                             "unknown file type; expected a point list ending in .mrk.json, .json or .csv");
}

// Reads the file within the memory bound and hands its text to the reader of its format.
template <class Result, class FromJson, class FromCsv>
Result readAs(const std::string& path, FromJson fromJson, FromCsv fromCsv)
{
    const Format format = formatOf(path);
    return FileAccess::withinMemory<PointListFileError>(path, [&]() -> Result {
        const QByteArray bytes = FileAccess::readAll<PointListFileError>(path);
        const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (format == Format::MarkupsJson)
            return fromJson(text);
        return fromCsv(text);
    });
}

}  // namespace

PointList PointListFile::read(const std::string& path)
{
    return readAs<PointList>(
        path, [&](std::string_view text) { return MarkupsJsonFile::fromText(text, path); },
        [&](std::string_view text) { return PointCsvFile::fromText(text, path); });
}

std::vector<Markup> PointListFile::readMarkups(const std::string& path)
{
    return readAs<std::vector<Markup>>(
        path, [&](std::string_view text) { return MarkupsJsonFile::markupsFromText(text, path); },
        [&](std::string_view text) {
            return std::vector<Markup>{
                {Markup::Type::Fiducial, "", PointCsvFile::fromText(text, path).points}};
        });
}

void PointListFile::write(const PointList& points, const std::string& path)
{
    const Format format = formatOf(path);
    if (format == Format::MarkupsJson)
        FileAccess::writeAtomically<PointListFileError>(path, {MarkupsJsonFile::toText(points, path)});
    else
        FileAccess::writeAtomically<PointListFileError>(path, {PointCsvFile::toText(points, path)});
}

}  // namespace Tesselon
