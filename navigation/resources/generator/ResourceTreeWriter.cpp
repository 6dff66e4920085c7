#include "navigation/resources/generator/ResourceTreeWriter.h"

#include "navigation/resources/generator/GifAnimationWriter.h"
#include "navigation/resources/generator/SphereObjWriter.h"
#include "navigation/resources/generator/ToolAnimationPainter.h"

#include <fmt/format.h>

#include <fstream>
#include <stdexcept>
#include <utility>

namespace Tesselon {
namespace {

constexpr auto kAnimations = {ToolMotion::Kind::Pivoting, ToolMotion::Kind::Rotation, ToolMotion::Kind::Dip,
                              ToolMotion::Kind::Flip};

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file) {
        throw std::runtime_error(fmt::format("{}: cannot write the file", path.string()));
    }
}

}  // namespace

ResourceTreeWriter::ResourceTreeWriter(std::filesystem::path outputDirectory)
    : m_outputDirectory(std::move(outputDirectory))
{
}

std::vector<std::pair<std::string, std::string>> ResourceTreeWriter::resources()
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ToolMotion::Kind kind : kAnimations) {
        const std::string file = ToolMotion(kind).name() + ".gif";
        entries.emplace_back("Navigation/ToolCalibration/" + file, file);
    }
    entries.emplace_back("Navigation/Sphere.obj", "Sphere.obj");
    return entries;
}

void ResourceTreeWriter::writeAll() const
{
    std::error_code error;
    std::filesystem::create_directories(m_outputDirectory, error);
    if (error) {
        throw std::runtime_error(fmt::format("{}: cannot create the output folder: {}",
                                             m_outputDirectory.string(), error.message()));
    }
    for (const ToolMotion::Kind kind : kAnimations) {
        writeAnimation(kind);
    }
    SphereObjWriter().write(m_outputDirectory / "Sphere.obj");
    writeQrc();
}

void ResourceTreeWriter::writeAnimation(ToolMotion::Kind kind) const
{
    const ToolAnimationPainter painter{ToolMotion(kind)};
    GifAnimationWriter gif(painter.motion().frameDelayCentiseconds());
    for (int frame = 0; frame < painter.motion().frameCount(); ++frame) {
        gif.addFrame(painter.frame(frame));
    }
    gif.write(m_outputDirectory / (painter.motion().name() + ".gif"));
}

void ResourceTreeWriter::writeQrc() const
{
    // Files are named relative to the qrc, so the tree can be compiled wherever it was written.
    std::string qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const auto& [alias, file] : resources()) {
        qrc += fmt::format("    <file alias=\"{}\">{}</file>\n", alias, file);
    }
    qrc += "</qresource>\n</RCC>\n";
    writeText(m_outputDirectory / "Resources.qrc", qrc);
}

}  // namespace Tesselon
