#include "host/core/model/Mesh.h"

#include <fmt/format.h>
#include <Eigen/Geometry>

#include <cmath>
#include <stdexcept>
#include <utility>

namespace Tesselon {

namespace {

void requireFinite(const std::vector<Eigen::Vector3d>& points, const char* what)
{
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!points[i].allFinite())
            throw std::invalid_argument(fmt::format("Mesh {} {} is not finite: ({}, {}, {}).", what, i,
                                                    points[i].x(), points[i].y(), points[i].z()));
}

void requireIndicesInRange(const std::vector<Mesh::Triangle>& faces, std::size_t vertexCount)
{
    for (std::size_t i = 0; i < faces.size(); ++i)
        for (int index : faces[i])
            if (index < 0 || static_cast<std::size_t>(index) >= vertexCount)
                throw std::invalid_argument(fmt::format(
                    "Mesh face {} refers to vertex {}, but there are {} vertices.", i, index, vertexCount));
}

}  // namespace

Mesh::Mesh(std::vector<Eigen::Vector3d> vertices, std::vector<Triangle> faces)
{
    requireFinite(vertices, "vertex");
    requireIndicesInRange(faces, vertices.size());
    m_vertices = std::move(vertices);
    m_faces = std::move(faces);
}

void Mesh::setNormals(std::vector<Eigen::Vector3d> normals)
{
    if (!normals.empty() && normals.size() != m_vertices.size())
        throw std::invalid_argument(
            fmt::format("Mesh has {} vertices but was given {} normals.", m_vertices.size(), normals.size()));
    requireFinite(normals, "normal");
    m_normals = std::move(normals);
}

void Mesh::computeVertexNormals()
{
    std::vector<Eigen::Vector3d> normals(m_vertices.size(), Eigen::Vector3d::Zero());
    for (const Triangle& face : m_faces) {
        const Eigen::Vector3d& a = m_vertices[face[0]];
        // The cross product is twice the area times the unit normal: the area weighting comes for free.
        const Eigen::Vector3d weighted = (m_vertices[face[1]] - a).cross(m_vertices[face[2]] - a);
        if (!weighted.allFinite())
            continue;
        for (int index : face)
            normals[index] += weighted;
    }
    for (Eigen::Vector3d& normal : normals) {
        const double length = normal.norm();
        normal = length > 0.0 && std::isfinite(length) ? Eigen::Vector3d(normal / length)
                                                       : Eigen::Vector3d::Zero();
    }
    m_normals = std::move(normals);
}

}  // namespace Tesselon
