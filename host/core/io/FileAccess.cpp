#include "host/core/io/FileAccess.h"

#include <QFile>
#include <QSaveFile>

namespace Tesselon {
namespace {

std::optional<std::string> openForReading(QFile& file)
{
    if (!file.open(QIODevice::ReadOnly))
        return "cannot open for reading: " + file.errorString().toStdString();
    return std::nullopt;
}

std::optional<std::string> readProblem(const QFile& file)
{
    if (file.error() != QFileDevice::NoError)
        return "cannot read: " + file.errorString().toStdString();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FileAccess::readAll(const std::string& path, QByteArray& bytes)
{
    QFile file(QString::fromStdString(path));
    if (auto problem = openForReading(file))
        return problem;
    bytes = file.readAll();
    return readProblem(file);
}

std::optional<std::string> FileAccess::readMetaHeader(const std::string& path, QByteArray& bytes)
{
    QFile file(QString::fromStdString(path));
    if (auto problem = openForReading(file))
        return problem;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (auto problem = readProblem(file))
            return problem;
        bytes += line;
        if (line.trimmed().startsWith("ElementDataFile"))
            break;
    }
    return std::nullopt;
}

std::optional<std::string> FileAccess::write(const std::string& path,
                                             std::initializer_list<std::string_view> parts)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return "cannot open for writing: " + file.errorString().toStdString();
    for (const std::string_view part : parts)
        if (file.write(part.data(), static_cast<qint64>(part.size())) != static_cast<qint64>(part.size()))
            return "cannot write: " + file.errorString().toStdString();
    if (!file.commit())
        return "cannot save: " + file.errorString().toStdString();
    return std::nullopt;
}

}  // namespace Tesselon
