#include "host/gl/GlMesh.h"

#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlMesh";

bool isFinite(const GlMesh::Material& material)
{
    return material.ambient.allFinite() && material.diffuse.allFinite() && material.specular.allFinite() &&
           std::isfinite(material.shininess);
}

}  // namespace

GlMesh::GlMesh(std::shared_ptr<const Mesh> mesh) : m_mesh(std::move(mesh)) {}

void GlMesh::setMesh(std::shared_ptr<const Mesh> mesh)
{
    assign(m_mesh, mesh);
}

void GlMesh::setMaterial(const Material& material)
{
    if (!isFinite(material)) {
        reject(category, "Ignoring a material with non-finite terms.");
        return;
    }
    Material clamped = material;
    clamped.ambient = clampedColor(material.ambient);
    clamped.diffuse = clampedColor(material.diffuse);
    clamped.specular = clampedColor(material.specular);
    assign(m_material, clamped);
}

void GlMesh::setRenderMode(int mode)
{
    if (mode < Surface || mode > Points) {
        reject(category, "Ignoring unknown render mode " + std::to_string(mode) + ".");
        return;
    }
    assign(m_renderMode, static_cast<RenderMode>(mode));
}

void GlMesh::setProjective(bool projective)
{
    assign(m_projective, projective);
}

}  // namespace Tesselon
