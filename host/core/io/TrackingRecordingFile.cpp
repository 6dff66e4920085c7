#include "host/core/io/TrackingRecordingFile.h"

#include "host/core/io/SequenceMetafile.h"
#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingTextFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include <fmt/format.h>

namespace Tesselon {

namespace {

enum class Format
{
    SequenceMetafile,
    Text,
    CommaSeparated,
    TabSeparated,
};

Format formatOf(const std::string& path)
{
    const std::string extension = QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
    if (extension == "mha" || extension == "mhd")
        return Format::SequenceMetafile;
    if (extension == "txt")
        return Format::Text;
    if (extension == "csv")
        return Format::CommaSeparated;
    if (extension == "tsv")
        return Format::TabSeparated;
    throw TrackingRecordingError(
        path, 0,
        fmt::format("{}; expected a tracking recording ending in .mha, .mhd, .txt, .csv or .tsv",
                    extension.empty() ? std::string("no file extension")
                                      : fmt::format("unknown extension \".{}\"", extension)));
}

char separatorOf(Format format)
{
    if (format == Format::CommaSeparated)
        return ',';
    return format == Format::TabSeparated ? '\t' : ' ';
}

void openForReading(QFile& file, const std::string& path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw TrackingRecordingError(path, 0, "cannot open for reading: " + file.errorString().toStdString());
}

void checkRead(const QFile& file, const std::string& path)
{
    if (file.error() != QFileDevice::NoError)
        throw TrackingRecordingError(path, 0, "cannot read: " + file.errorString().toStdString());
}

// The header lines only: pixel data may follow, possibly large, and is never needed.
QByteArray readMetafileHeader(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    openForReading(file, path);
    QByteArray header;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        checkRead(file, path);
        header += line;
        if (line.trimmed().startsWith("ElementDataFile"))
            break;
    }
    return header;
}

QByteArray readWhole(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    openForReading(file, path);
    QByteArray bytes = file.readAll();
    checkRead(file, path);
    return bytes;
}

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void writeAtomically(const std::string& text, const std::string& path)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw TrackingRecordingError(path, 0, "cannot open for writing: " + file.errorString().toStdString());
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        throw TrackingRecordingError(path, 0, "cannot write: " + file.errorString().toStdString());
    if (!file.commit())
        throw TrackingRecordingError(path, 0, "cannot save: " + file.errorString().toStdString());
}

}  // namespace

TrackingRecording TrackingRecordingFile::read(const std::string& path, const std::string& transformName)
{
    const Format format = formatOf(path);
    if (format == Format::SequenceMetafile)
        return SequenceMetafile::fromText(viewOf(readMetafileHeader(path)), path);
    return TrackingTextFile::fromText(viewOf(readWhole(path)), path, transformName);
}

void TrackingRecordingFile::write(const TrackingRecording& recording, const std::string& path)
{
    const Format format = formatOf(path);
    if (format == Format::SequenceMetafile)
        writeAtomically(SequenceMetafile::toText(recording, path), path);
    else
        writeAtomically(TrackingTextFile::toText(recording, separatorOf(format), path), path);
}

}  // namespace Tesselon
