#pragma once

#include <filesystem>
#include <string>

namespace Tesselon {

/// A UV sphere centred at the origin as Wavefront OBJ text: the north pole, the latitude rings from
/// north to south, then the south pole. Each vertex has a normal of the same index, faces wind
/// counter-clockwise seen from outside.
class SphereObjWriter
{
public:
    explicit SphereObjWriter(double radius = 4.0, int rings = 31, int segments = 64);

    int vertexCount() const { return m_rings * m_segments + 2; }
    int triangleCount() const { return 2 * m_rings * m_segments; }

    std::string text() const;
    /// Throws std::runtime_error naming the file when it cannot be written.
    void write(const std::filesystem::path& path) const;

private:
    void appendVertices(std::string& out) const;
    void appendTriangles(std::string& out) const;
    int ringVertex(int ring, int segment) const;

    double m_radius;
    int m_rings;
    int m_segments;
};

}  // namespace Tesselon
