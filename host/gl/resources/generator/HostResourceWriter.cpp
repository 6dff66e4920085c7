#include "host/gl/resources/generator/HostResourceWriter.h"

#include "host/gl/resources/generator/IconPainter.h"
#include "host/gl/resources/generator/RevolvedMesh.h"

#include <fmt/format.h>

#include <fstream>
#include <stdexcept>
#include <utility>

namespace Tesselon {
namespace {

// Tool meshes are in the calibrated tool frame (mm): the tip at the origin, the shaft up the +z axis.
constexpr double shaftRadius = 1.0;
constexpr double tipLength = 8.0;
constexpr double shaftEnd = 140.0;
constexpr double handleRadius = 6.0;
constexpr double handleEnd = 230.0;
// How far ahead of the tip the extended pointer shows the needle's course.
constexpr double extensionLength = 300.0;

RevolvedMesh pointer()
{
    RevolvedMesh mesh;
    mesh.addCone(0.0, tipLength, shaftRadius);
    mesh.addCylinder(shaftRadius, tipLength, shaftEnd);
    mesh.addCylinder(handleRadius, shaftEnd, handleEnd);
    return mesh;
}

RevolvedMesh extendedPointer()
{
    RevolvedMesh mesh = pointer();
    mesh.addCylinder(0.3, -extensionLength, 0.0);
    return mesh;
}

RevolvedMesh ring()
{
    RevolvedMesh mesh;
    mesh.addTorus(6.0, 0.8, 0.0);
    return mesh;
}

RevolvedMesh bullseye()
{
    RevolvedMesh mesh;
    for (const double radius : {5.0, 10.0, 15.0})
        mesh.addTorus(radius, 0.6, 0.0);
    mesh.addCylinder(2.0, -0.3, 0.3);
    return mesh;
}

struct MeshResource
{
    const char* path;
    const char* description;
    RevolvedMesh (*build)();
};

constexpr MeshResource meshes[] = {
    {"TrackingPointer.obj", "A needle-shaped pointer: tip at the origin, shaft and handle up +z (mm)",
     pointer},
    {"TrackingPointerExtended.obj",
     "The pointer with a thin line 300 mm ahead of its tip along -z, showing where the needle is heading",
     extendedPointer},
    {"SingleRing.obj", "A ring of 6 mm radius around the z axis, carried on a tool's axis", ring},
    {"Bullseye.obj", "A target of three rings (5, 10, 15 mm) and a centre disc, facing +z", bullseye},
};

struct IconResource
{
    const char* path;
    IconPainter::Icon icon;
};

constexpr IconResource icons[] = {
    {"PlaybackPlay.png", IconPainter::Icon::Play},
    {"PlaybackStop.png", IconPainter::Icon::Stop},
    {"icons/Recenter.png", IconPainter::Icon::Recenter},
    {"icons/64/IconArrowLeft.png", IconPainter::Icon::ArrowLeft},
    {"icons/64/IconArrowRight.png", IconPainter::Icon::ArrowRight},
};

/// Files are written flat; the qrc gives them their resource paths.
std::string fileNameOf(const std::string& resourcePath)
{
    std::string name = resourcePath;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file)
        throw std::runtime_error(fmt::format("{}: cannot write the file", path.string()));
}

}  // namespace

HostResourceWriter::HostResourceWriter(std::filesystem::path outputDirectory)
    : m_outputDirectory(std::move(outputDirectory))
{
}

std::vector<std::pair<std::string, std::string>> HostResourceWriter::resources()
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const MeshResource& mesh : meshes)
        entries.emplace_back(mesh.path, fileNameOf(mesh.path));
    for (const IconResource& icon : icons)
        entries.emplace_back(icon.path, fileNameOf(icon.path));
    return entries;
}

void HostResourceWriter::writeAll() const
{
    std::error_code error;
    std::filesystem::create_directories(m_outputDirectory, error);
    if (error)
        throw std::runtime_error(fmt::format("{}: cannot create the output folder: {}",
                                             m_outputDirectory.string(), error.message()));
    writeMeshes();
    writeIcons();
    writeQrc();
}

void HostResourceWriter::writeMeshes() const
{
    for (const MeshResource& mesh : meshes)
        writeText(m_outputDirectory / fileNameOf(mesh.path), mesh.build().objText(mesh.description));
}

void HostResourceWriter::writeIcons() const
{
    for (const IconResource& icon : icons) {
        const std::filesystem::path path = m_outputDirectory / fileNameOf(icon.path);
        if (!IconPainter::paint(icon.icon).save(QString::fromStdString(path.string()), "PNG"))
            throw std::runtime_error(fmt::format("{}: cannot write the file", path.string()));
    }
}

void HostResourceWriter::writeQrc() const
{
    std::string qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const auto& [alias, file] : resources())
        qrc += fmt::format("    <file alias=\"{}\">{}</file>\n", alias, file);
    qrc += "</qresource>\n</RCC>\n";
    writeText(m_outputDirectory / "HostResources.qrc", qrc);
}

}  // namespace Tesselon
