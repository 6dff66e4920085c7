#include "host/core/geometry/MeshCreator.h"

#include <fmt/format.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace Tesselon {

namespace {

constexpr long long kMaximumVertices = 10'000'000;

void requireSphereParameters(double radius, int rings, int segments)
{
    if (!(radius > 0.0) || !std::isfinite(radius))
        throw std::invalid_argument(
            fmt::format("Sphere radius must be positive and finite, not {}.", radius));
    if (rings < 1 || segments < 3)
        throw std::invalid_argument(
            fmt::format("Sphere needs at least 1 ring and 3 segments, not {} and {}.", rings, segments));
    if (2 + static_cast<long long>(rings) * segments > kMaximumVertices)
        throw std::invalid_argument(
            fmt::format("Sphere of {} rings and {} segments has too many vertices.", rings, segments));
}

}  // namespace

Mesh MeshCreator::createSphere(double radius, int rings, int segments)
{
    requireSphereParameters(radius, rings, segments);
    // Vertex 0 is the north pole (+z), then ring after ring southwards, then the south pole.
    std::vector<Eigen::Vector3d> directions;
    directions.reserve(2 + static_cast<std::size_t>(rings) * segments);
    directions.emplace_back(0.0, 0.0, 1.0);
    for (int ring = 1; ring <= rings; ++ring) {
        const double polar = std::numbers::pi * ring / (rings + 1);
        for (int segment = 0; segment < segments; ++segment) {
            const double azimuth = 2.0 * std::numbers::pi * segment / segments;
            directions.emplace_back(std::sin(polar) * std::cos(azimuth), std::sin(polar) * std::sin(azimuth),
                                    std::cos(polar));
        }
    }
    directions.emplace_back(0.0, 0.0, -1.0);

    const int south = static_cast<int>(directions.size()) - 1;
    const auto ringVertex = [segments](int ring, int segment) {
        return 1 + ring * segments + segment % segments;
    };
    std::vector<Mesh::Triangle> faces;
    faces.reserve(2 * static_cast<std::size_t>(rings) * segments);
    for (int segment = 0; segment < segments; ++segment) {
        faces.push_back({0, ringVertex(0, segment), ringVertex(0, segment + 1)});
        for (int ring = 0; ring + 1 < rings; ++ring) {
            const int a = ringVertex(ring, segment);
            const int b = ringVertex(ring, segment + 1);
            const int c = ringVertex(ring + 1, segment);
            const int d = ringVertex(ring + 1, segment + 1);
            faces.push_back({a, c, d});
            faces.push_back({a, d, b});
        }
        faces.push_back({south, ringVertex(rings - 1, segment + 1), ringVertex(rings - 1, segment)});
    }

    std::vector<Eigen::Vector3d> vertices;
    vertices.reserve(directions.size());
    for (const Eigen::Vector3d& direction : directions)
        vertices.push_back(radius * direction);
    Mesh mesh(std::move(vertices), std::move(faces));
    mesh.setNormals(std::move(directions));
    return mesh;
}

}  // namespace Tesselon
