#include "host/core/io/FileAccess.h"
#include "host/core/io/FileFormatError.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/MeshIO.h"
#include "host/core/io/PointListFile.h"
#include "host/core/io/PropertiesFile.h"
#include "host/core/io/TrackingRecordingFile.h"

#include "tests/support/FormatErrors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

struct Reader
{
    const char* extension;
    std::function<void(const std::string&)> read;
    /// What it says of a sparse file just over the 1 GiB that files read whole may hold.
    const char* oversized;
};

// A folder or a FIFO would block or never end; an oversized file would be read whole before any check; a
// failed allocation would reach the user as a bare library text.
TEST(FileAccess, ReadersRefuseFoldersPipesOversizedFilesAndFailedAllocationsWithASentence)
{
    const char* wholeFile = "more than the 1073741824 bytes (1 GiB) that a file read whole may hold";
    const char* longLine = "the line is longer than the 1048576 bytes (1 MiB)";
    const std::vector<Reader> readers = {
        {"txt", [](const std::string& path) { TrackingRecordingFile::read(path); }, wholeFile},
        {"mha", [](const std::string& path) { TrackingRecordingFile::read(path); }, longLine},
        {"xml", [](const std::string& path) { PropertiesFile::read(path); }, wholeFile},
        {"csv", [](const std::string& path) { PointListFile::read(path); }, wholeFile},
        {"obj", [](const std::string& path) { MeshIO::load(path); }, wholeFile},
        {"nii", [](const std::string& path) { ImageVolumeFile::read(path); }, "its header size is 0"},
        {"mhd", [](const std::string& path) { ImageVolumeFile::read(path); }, longLine},
    };
    QTemporaryDir folder;
    for (const Reader& reader : readers) {
        SCOPED_TRACE(reader.extension);
        const auto path = [&](const char* name) {
            return QDir(folder.path()).filePath(QString(name) + "." + reader.extension).toStdString();
        };
        ASSERT_TRUE(QDir(folder.path()).mkdir(QString::fromStdString(path("folder"))));
        ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
        QFile sparse(QString::fromStdString(path("big")));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize((qint64{1} << 30) + 1));
        const auto refuses = [&](const std::string& file, const char* expected) {
            Tesselon::Test::expectNames(Tesselon::Test::caught<FileFormatError>([&] { reader.read(file); }),
                                        file, std::nullopt, expected);
        };
        refuses(path("folder"), "is a folder, not a file");
        refuses(path("fifo"), "is not a regular file but a pipe, a socket or a device");
        refuses(path("big"), reader.oversized);
    }
    for (const std::function<void()>& failing : std::vector<std::function<void()>>{
             [] { throw std::bad_alloc(); }, [] { std::vector<int>().reserve(std::size_t{1} << 62); }})
        Tesselon::Test::expectNames(Tesselon::Test::caught<FileFormatError>(
                                        [&] { FileAccess::withinMemory<FileFormatError>("huge", failing); }),
                                    "huge", 0, "does not fit in the memory left");
}

}  // namespace
}  // namespace Tesselon
