#include "host/core/io/ImageVolumeFile.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/ImageFileError.h"
#include "host/core/io/MetaImageFile.h"
#include "host/core/io/NiftiImageFile.h"

#include <QFileInfo>
#include <QString>

#include <array>
#include <string_view>

namespace Tesselon {

namespace {

enum class Format
{
    Nifti,
    MetaImage,
    MetaImageHeader,
};

struct Ending
{
    std::string_view text;
    Format format;
};

// Longest first, so that .nii.gz is not taken for an unknown .gz.
constexpr std::array<Ending, 4> endings{{
    {".nii.gz", Format::Nifti},
    {".nii", Format::Nifti},
    {".mha", Format::MetaImage},
    {".mhd", Format::MetaImageHeader},
}};

const Ending& endingOf(const std::string& path)
{
    const std::string name = QFileInfo(QString::fromStdString(path)).fileName().toLower().toStdString();
    for (const Ending& ending : endings)
        if (name.size() > ending.text.size() && name.ends_with(ending.text))
            return ending;
    throw ImageFileError(path, 0,
                         "unknown file type; expected an image ending in .nii, .nii.gz, .mha or .mhd");
}

std::string baseName(const std::string& path, const Ending& ending)
{
    QString name = QFileInfo(QString::fromStdString(path)).fileName();
    name.chop(static_cast<int>(ending.text.size()));
    return name.toStdString();
}

}  // namespace

std::unique_ptr<SharedImageSet> ImageVolumeFile::read(const std::string& path)
{
    const Ending& ending = endingOf(path);
    std::unique_ptr<SharedImageSet> image = FileAccess::withinMemory<ImageFileError>(path, [&] {
        return ending.format == Format::Nifti ? NiftiImageFile::read(path) : MetaImageFile::read(path);
    });
    image->setName(baseName(path, ending));
    return image;
}

void ImageVolumeFile::write(const SharedImageSet& image, const std::string& path)
{
    const Ending& ending = endingOf(path);
    if (ending.format == Format::MetaImageHeader)
        throw ImageFileError(path, 0,
                             "cannot write .mhd files (voxels in a second file); write .mha instead");
    if (ending.format == Format::Nifti)
        NiftiImageFile::write(image, path);
    else
        MetaImageFile::write(image, path);
}

}  // namespace Tesselon
