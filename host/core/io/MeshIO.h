#pragma once

#include "host/core/model/Mesh.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// Reads triangle meshes from OBJ, STL (ASCII or binary) and PLY, through assimp. Every mesh of the file
/// is placed by its node transforms and merged into one `Mesh`; polygons are triangulated and identical
/// vertices joined. Normals come from the file when every part has them and are computed otherwise.
/// Materials and textures are ignored: an OBJ's material library is never opened. Every failure throws
/// `MeshFileError` naming the source.
class MeshIO
{
public:
    /// Reads mesh bytes in the format `formatHint` names ("obj", "stl" or "ply", case ignored). `source`
    /// names the bytes in error messages.
    static Mesh load(std::string_view bytes, std::string_view formatHint,
                     const std::string& source = "mesh data");
    /// Reads a mesh file, in the format its name's ending gives.
    static Mesh load(const std::string& path);
};

}  // namespace Tesselon
