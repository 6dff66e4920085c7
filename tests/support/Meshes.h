#pragma once

#include "host/core/model/Mesh.h"

#include <Eigen/Geometry>

namespace Tesselon::Test {

/// The volume a closed mesh encloses (divergence theorem): positive when its faces wind outwards.
inline double enclosedVolume(const Mesh& mesh)
{
    double volume = 0.0;
    for (const Mesh::Triangle& face : mesh.faces())
        volume +=
            mesh.vertices()[face[0]].dot(mesh.vertices()[face[1]].cross(mesh.vertices()[face[2]])) / 6.0;
    return volume;
}

}  // namespace Tesselon::Test
