#include "navigation/resources/generator/SphereObjWriter.h"

#include <fmt/format.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace Tesselon {
namespace {

struct Direction
{
    double x;
    double y;
    double z;
};

Direction unitDirection(double polar, double azimuth)
{
    const Direction d{std::sin(polar) * std::cos(azimuth), std::sin(polar) * std::sin(azimuth),
                      std::cos(polar)};
    // Renormalising keeps |n| as close to 1 as doubles allow; scaling by a power-of-two radius later
    // then keeps vertex / radius bit-identical to the normal.
    const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / length, d.y / length, d.z / length};
}

void appendTriangle(std::string& out, int a, int b, int c)
{
    fmt::format_to(std::back_inserter(out), "f {0}//{0} {1}//{1} {2}//{2}\n", a, b, c);
}

}  // namespace

SphereObjWriter::SphereObjWriter(double radius, int rings, int segments)
    : m_radius(radius), m_rings(rings), m_segments(segments)
{
    if (radius <= 0.0 || rings < 1 || segments < 3) {
        throw std::invalid_argument(fmt::format(
            "Sphere.obj: invalid sphere (radius {}, {} rings, {} segments)", radius, rings, segments));
    }
}

std::string SphereObjWriter::text() const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(vertexCount()) * 130 +
                static_cast<std::size_t>(triangleCount()) * 40);
    appendVertices(out);
    appendTriangles(out);
    return out;
}

void SphereObjWriter::write(const std::filesystem::path& path) const
{
    const std::string content = text();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!file) {
        throw std::runtime_error(fmt::format("{}: cannot write the sphere mesh", path.string()));
    }
}

void SphereObjWriter::appendVertices(std::string& out) const
{
    std::vector<Direction> directions;
    directions.push_back({0.0, 0.0, 1.0});
    for (int ring = 1; ring <= m_rings; ++ring) {
        const double polar = std::numbers::pi * ring / (m_rings + 1);
        for (int segment = 0; segment < m_segments; ++segment) {
            directions.push_back(unitDirection(polar, 2.0 * std::numbers::pi * segment / m_segments));
        }
    }
    directions.push_back({0.0, 0.0, -1.0});

    auto sink = std::back_inserter(out);
    for (const Direction& d : directions) {
        fmt::format_to(sink, "v {:.17g} {:.17g} {:.17g}\n", m_radius * d.x, m_radius * d.y, m_radius * d.z);
    }
    for (const Direction& d : directions) {
        fmt::format_to(sink, "vn {:.17g} {:.17g} {:.17g}\n", d.x, d.y, d.z);
    }
}

void SphereObjWriter::appendTriangles(std::string& out) const
{
    const int northPole = 1;
    const int southPole = vertexCount();
    for (int segment = 0; segment < m_segments; ++segment) {
        appendTriangle(out, northPole, ringVertex(0, segment), ringVertex(0, segment + 1));
    }
    for (int ring = 0; ring + 1 < m_rings; ++ring) {
        for (int segment = 0; segment < m_segments; ++segment) {
            const int upper = ringVertex(ring, segment);
            const int upperNext = ringVertex(ring, segment + 1);
            const int lower = ringVertex(ring + 1, segment);
            const int lowerNext = ringVertex(ring + 1, segment + 1);
            appendTriangle(out, upper, lower, lowerNext);
            appendTriangle(out, upper, lowerNext, upperNext);
        }
    }
    for (int segment = 0; segment < m_segments; ++segment) {
        appendTriangle(out, southPole, ringVertex(m_rings - 1, segment + 1),
                       ringVertex(m_rings - 1, segment));
    }
}

int SphereObjWriter::ringVertex(int ring, int segment) const
{
    // 1-based OBJ index; the segment wraps so the last quad of a ring closes onto the first vertex.
    return 2 + ring * m_segments + segment % m_segments;
}

}  // namespace Tesselon
