#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// How a mesh is drawn: read by the display objects that show meshes and set from their panels.
struct MeshDisplayOptions
{
    enum class RenderMode
    {
        Surface,
        Wireframe,
        Points,
    };

    Eigen::Vector4d colour{0.9, 0.9, 0.9, 1.0};  ///< red, green, blue, opacity in [0, 1]
    RenderMode renderMode = RenderMode::Surface;
    double lineWidth = 1.0;     ///< pixels, for wireframes and normals
    double pointSize = 3.0;     ///< pixels, for points
    bool showNormals = false;   ///< draw each vertex normal as a short line
    double normalLength = 5.0;  ///< millimetres
};

}  // namespace Tesselon
