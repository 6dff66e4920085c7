#pragma once

#include "host/core/model/Mesh.h"

namespace Tesselon {

/// Builds simple meshes for markers and targets drawn in the views.
class MeshCreator
{
public:
    /// A sphere about the origin, a vertex at each pole and `rings` circles of latitude between them with
    /// `segments` vertices each (evenly spaced in angle), so 2 + rings·segments vertices and
    /// 2·rings·segments triangles. Faces wind counter-clockwise seen from outside and every normal is the
    /// exact outward unit vector. Throws std::invalid_argument for a radius that is not positive and
    /// finite, fewer than 1 ring or 3 segments, or more than ten million vertices.
    static Mesh createSphere(double radius, int rings = 15, int segments = 32);
};

}  // namespace Tesselon
