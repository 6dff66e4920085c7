#include "host/core/io/FileAccess.h"

#include "host/core/io/TextLines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fmt/format.h>

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

std::optional<std::string> FileAccess::notRegularFile(const std::string& path, std::string_view what)
{
    const QFileInfo info(QString::fromStdString(path));
    // A missing file is left to the opening, which says so.
    if (!info.exists() || info.isFile())
        return std::nullopt;
    const std::string subject = what.empty() ? std::string() : std::string(what) + " ";
    if (info.isDir())
        return subject + "is a folder, not a file";
    return subject +
           "is not a regular file but a pipe, a socket or a device, which may never end; expected a file";
}

std::optional<std::string> FileAccess::readAll(const std::string& path, QByteArray& bytes)
{
    if (auto problem = notRegularFile(path))
        return problem;
    QFile file(QString::fromStdString(path));
    if (auto problem = openForReading(file))
        return problem;
    if (file.size() > largestWholeFile)
        return fmt::format("is {} bytes, more than the {} bytes (1 GiB) that a file read whole may hold",
                           file.size(), largestWholeFile);
    bytes = file.readAll();
    return readProblem(file);
}

std::optional<std::string> FileAccess::readMetaHeader(const std::string& path, QByteArray& bytes)
{
    if (auto problem = notRegularFile(path))
        return problem;
    QFile file(QString::fromStdString(path));
    if (auto problem = openForReading(file))
        return problem;
    // One byte past the longest line is enough for the header reader to refuse it; the rest is not read.
    constexpr auto longestRead = static_cast<qint64>(TextLines::longestLine) + 2;
    while (!file.atEnd() && bytes.size() <= largestWholeFile) {
        const QByteArray line = file.readLine(longestRead);
        if (auto problem = readProblem(file))
            return problem;
        bytes += line;
        if (line.trimmed().startsWith("ElementDataFile") || !line.endsWith('\n'))
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
