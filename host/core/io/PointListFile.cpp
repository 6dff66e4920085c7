#include "host/core/io/PointListFile.h"

#include "host/core/io/MarkupsJsonFile.h"
#include "host/core/io/PointCsvFile.h"
#include "host/core/io/PointListFileError.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
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

QByteArray readWhole(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw PointListFileError(path, 0, "cannot open for reading: " + file.errorString().toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PointListFileError(path, 0, "cannot read: " + file.errorString().toStdString());
    return bytes;
}

void writeAtomically(const std::string& text, const std::string& path)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw PointListFileError(path, 0, "cannot open for writing: " + file.errorString().toStdString());
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        throw PointListFileError(path, 0, "cannot write: " + file.errorString().toStdString());
    if (!file.commit())
        throw PointListFileError(path, 0, "cannot save: " + file.errorString().toStdString());
}

}  // namespace

PointList PointListFile::read(const std::string& path)
{
    const Format format = formatOf(path);
    const QByteArray bytes = readWhole(path);
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (format == Format::MarkupsJson)
        return MarkupsJsonFile::fromText(text, path);
    return PointCsvFile::fromText(text, path);
}

void PointListFile::write(const PointList& points, const std::string& path)
{
    const Format format = formatOf(path);
    if (format == Format::MarkupsJson)
        writeAtomically(MarkupsJsonFile::toText(points, path), path);
    else
        writeAtomically(PointCsvFile::toText(points, path), path);
}

}  // namespace Tesselon
