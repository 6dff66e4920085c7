#include "host/core/io/TrackingRecordingFile.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/SequenceMetafile.h"
#include "host/core/io/TrackingRecordingError.h"
#include "host/core/io/TrackingTextFile.h"

#include <QByteArray>
#include <QFileInfo>
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

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

TrackingRecording TrackingRecordingFile::read(const std::string& path, const std::string& transformName)
{
    const Format format = formatOf(path);
    return FileAccess::withinMemory<TrackingRecordingError>(path, [&] {
        if (format == Format::SequenceMetafile)
            return SequenceMetafile::fromText(
                viewOf(FileAccess::readMetaHeader<TrackingRecordingError>(path)), path);
        return TrackingTextFile::fromText(viewOf(FileAccess::readAll<TrackingRecordingError>(path)), path,
                                          transformName);
    });
}

void TrackingRecordingFile::write(const TrackingRecording& recording, const std::string& path)
{
    const Format format = formatOf(path);
    if (format == Format::SequenceMetafile)
        FileAccess::writeAtomically<TrackingRecordingError>(path,
                                                            {SequenceMetafile::toText(recording, path)});
    else
        FileAccess::writeAtomically<TrackingRecordingError>(
            path, {TrackingTextFile::toText(recording, separatorOf(format), path)});
}

}  // namespace Tesselon
