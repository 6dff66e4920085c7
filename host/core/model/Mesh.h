#pragma once

#include <Eigen/Core>

#include <array>
#include <vector>

namespace Tesselon {

/// A triangle surface in millimetres: vertices, faces as vertex index triples (counter-clockwise seen from
/// outside) and optional per-vertex normals. Loaded by `MeshIO`, made by `MeshCreator`, drawn by the
/// display layer. A plain value; every index and coordinate is checked when the mesh is made.
class Mesh
{
public:
    using Triangle = std::array<int, 3>;

    Mesh() = default;
    /// Throws std::invalid_argument for a non-finite vertex or a face index outside the vertices, naming it.
    Mesh(std::vector<Eigen::Vector3d> vertices, std::vector<Triangle> faces);

    const std::vector<Eigen::Vector3d>& vertices() const { return m_vertices; }
    const std::vector<Triangle>& faces() const { return m_faces; }
    /// Empty, or one unit (or zero) normal per vertex.
    const std::vector<Eigen::Vector3d>& normals() const { return m_normals; }
    bool hasNormals() const { return !m_normals.empty(); }
    bool empty() const { return m_faces.empty(); }

    /// Sets one normal per vertex, or none with an empty list. Throws std::invalid_argument when the count
    /// differs from the vertex count or a normal is not finite.
    void setNormals(std::vector<Eigen::Vector3d> normals);

    /// Sets each vertex normal to the area-weighted mean of the normals of its faces, normalised, so a
    /// large face counts more than a sliver next to it. Degenerate faces add nothing; a vertex without a
    /// face of non-zero area gets a zero normal.
    void computeVertexNormals();

private:
    std::vector<Eigen::Vector3d> m_vertices;
    std::vector<Triangle> m_faces;
    std::vector<Eigen::Vector3d> m_normals;
};

}  // namespace Tesselon
