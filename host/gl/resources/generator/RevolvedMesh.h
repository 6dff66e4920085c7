#pragma once

#include <array>
#include <string>
#include <vector>

namespace Tesselon {

/// Triangle meshes made by turning profiles about the z axis, written as Wavefront OBJ text with one normal
/// per vertex. Tool meshes are mostly such solids: shafts, cones, rings and discs around the tool's axis.
class RevolvedMesh
{
public:
    /// One point of a profile in the (r, z) half-plane, with the surface normal there (nr, nz).
    struct ProfilePoint
    {
        double r;
        double z;
        double nr;
        double nz;
    };

    explicit RevolvedMesh(int segments = 48) : m_segments(segments) {}

    /// Turns the open profile once about z; consecutive points are joined by a band of triangles that face
    /// the side the normals point to.
    void revolve(const std::vector<ProfilePoint>& profile);

    /// A closed cylinder from z0 to z1.
    void addCylinder(double radius, double z0, double z1);
    /// A cone with its apex on the axis at `apexZ` and its base disc of `radius` at `baseZ`.
    void addCone(double apexZ, double baseZ, double radius);
    /// A torus around the z axis in the plane z = `z`.
    void addTorus(double ringRadius, double tubeRadius, double z, int tubeSegments = 16);

    int vertexCount() const { return static_cast<int>(m_vertices.size()); }
    int triangleCount() const { return static_cast<int>(m_triangles.size()); }
    std::string objText(const std::string& comment) const;

private:
    struct Vertex
    {
        double x, y, z, nx, ny, nz;
    };

    /// A flat disc at z facing +z (up) or -z.
    void addDisc(double radius, double z, bool up);

    int m_segments;
    std::vector<Vertex> m_vertices;
    std::vector<std::array<int, 3>> m_triangles;
};

}  // namespace Tesselon
