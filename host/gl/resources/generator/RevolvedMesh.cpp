#include "host/gl/resources/generator/RevolvedMesh.h"

#include <fmt/format.h>

#include <cmath>
#include <iterator>
#include <numbers>

namespace Tesselon {

void RevolvedMesh::revolve(const std::vector<ProfilePoint>& profile)
{
    const int first = vertexCount();
    const int ring = m_segments;
    for (const ProfilePoint& point : profile) {
        const double length = std::hypot(point.nr, point.nz);
        for (int s = 0; s < ring; ++s) {
            const double angle = 2.0 * std::numbers::pi * s / ring;
            const double c = std::cos(angle);
            const double sn = std::sin(angle);
            m_vertices.push_back({point.r * c, point.r * sn, point.z, point.nr / length * c,
                                  point.nr / length * sn, point.nz / length});
        }
    }
    for (std::size_t p = 0; p + 1 < profile.size(); ++p) {
        // The winding follows the normals: with the profile running up the outside, quads wind
        // counter-clockwise seen from outside.
        const double cross = (profile[p + 1].z - profile[p].z) * profile[p].nr -
                             (profile[p + 1].r - profile[p].r) * profile[p].nz;
        for (int s = 0; s < ring; ++s) {
            const int a = first + static_cast<int>(p) * ring + s;
            const int b = first + static_cast<int>(p) * ring + (s + 1) % ring;
            const int c = a + ring;
            const int d = b + ring;
            if (cross >= 0.0) {
                m_triangles.push_back({a, b, d});
                m_triangles.push_back({a, d, c});
            } else {
                m_triangles.push_back({a, d, b});
                m_triangles.push_back({a, c, d});
            }
        }
    }
}

void RevolvedMesh::addDisc(double radius, double z, bool up)
{
    const double nz = up ? 1.0 : -1.0;
    // The centre is a ring of radius 0: its triangles degenerate to one point, which renderers skip.
    revolve({{0.0, z, 0.0, nz}, {radius, z, 0.0, nz}});
    if (!up)
        return;
    // A disc seen from above winds the other way round than one seen from below.
    const int last = triangleCount() - 2 * m_segments;
    for (int t = last; t < triangleCount(); ++t)
        std::swap(m_triangles[t][1], m_triangles[t][2]);
}

void RevolvedMesh::addCylinder(double radius, double z0, double z1)
{
    revolve({{radius, z0, 1.0, 0.0}, {radius, z1, 1.0, 0.0}});
    addDisc(radius, z0, false);
    addDisc(radius, z1, true);
}

void RevolvedMesh::addCone(double apexZ, double baseZ, double radius)
{
    const double height = baseZ - apexZ;
    const double sign = height >= 0.0 ? 1.0 : -1.0;
    // The side's normal leans away from the apex.
    const double nr = std::abs(height);
    const double nz = -sign * radius;
    revolve({{0.0, apexZ, nr, nz}, {radius, baseZ, nr, nz}});
    addDisc(radius, baseZ, sign > 0.0);
}

void RevolvedMesh::addTorus(double ringRadius, double tubeRadius, double z, int tubeSegments)
{
    std::vector<ProfilePoint> tube;
    for (int t = 0; t <= tubeSegments; ++t) {
        const double angle = -std::numbers::pi + 2.0 * std::numbers::pi * t / tubeSegments;
        const double nr = std::cos(angle);
        const double nz = std::sin(angle);
        tube.push_back({ringRadius + tubeRadius * nr, z + tubeRadius * nz, nr, nz});
    }
    revolve(tube);
}

std::string RevolvedMesh::objText(const std::string& comment) const
{
    std::string out = fmt::format("# {}\n", comment);
    auto into = std::back_inserter(out);
    for (const Vertex& v : m_vertices)
        fmt::format_to(into, "v {:.6g} {:.6g} {:.6g}\n", v.x, v.y, v.z);
    for (const Vertex& v : m_vertices)
        fmt::format_to(into, "vn {:.6g} {:.6g} {:.6g}\n", v.nx, v.ny, v.nz);
    for (const auto& [a, b, c] : m_triangles)
        fmt::format_to(into, "f {0}//{0} {1}//{1} {2}//{2}\n", a + 1, b + 1, c + 1);
    return out;
}

}  // namespace Tesselon
