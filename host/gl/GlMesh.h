#pragma once

#include "host/gl/GlObject.h"

#include <memory>
#include <optional>

namespace Tesselon {

class Mesh;

/// Shows a mesh. The display object only refers to the mesh data (shared, never modified here); the
/// renderer reads the geometry, the panels set material and render mode.
class GlMesh : public GlObject
{
public:
    enum RenderMode
    {
        Surface = 0,
        Wireframe = 1,
        Points = 2
    };

    /// Phong material terms, RGB in [0, 1].
    struct Material
    {
        Eigen::Vector3d ambient = Eigen::Vector3d::Constant(0.2);
        Eigen::Vector3d diffuse = Eigen::Vector3d::Constant(0.8);
        Eigen::Vector3d specular = Eigen::Vector3d::Zero();
        double shininess = 0.0;

        bool operator==(const Material&) const = default;
    };

    /// A null mesh is allowed: the object then draws nothing until a mesh is set.
    explicit GlMesh(std::shared_ptr<const Mesh> mesh = nullptr);

    const std::shared_ptr<const Mesh>& mesh() const { return m_mesh; }
    void setMesh(std::shared_ptr<const Mesh> mesh);

    const Material& material() const { return m_material; }
    /// Non-finite terms are logged and the material is left as it was; colours are clamped to [0, 1].
    void setMaterial(const Material& material);
    /// The material of faces seen from behind (the inside of an open mesh); none (the default) draws them
    /// like the front. Same rules as `setMaterial`.
    const std::optional<Material>& backMaterial() const { return m_backMaterial; }
    void setBackMaterial(const Material& material);

    RenderMode renderMode() const { return m_renderMode; }
    /// Values outside the enumeration are logged and ignored.
    void setRenderMode(int mode);

    /// Whether each face is shaded with its own normal (faceted) instead of the vertex normals (smooth).
    bool usesFaceNormals() const { return m_faceNormals; }
    void setUseFaceNormals(bool faceNormals);

    /// Whether slice views project the whole mesh onto the slice instead of cutting it.
    bool isProjective() const { return m_projective; }
    void setProjective(bool projective);

private:
    template <class Member>
    bool assignMaterial(Member& member, const Material& material);

    std::shared_ptr<const Mesh> m_mesh;
    Material m_material;
    std::optional<Material> m_backMaterial;
    RenderMode m_renderMode = Surface;
    bool m_projective = false;
    bool m_faceNormals = false;
};

}  // namespace Tesselon
