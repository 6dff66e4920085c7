#include "host/core/io/MeshFileError.h"
#include "host/core/io/MeshIO.h"
#include "tests/fuzz/FuzzInput.h"

#include <array>

// Hostile meshes through assimp: refused with MeshFileError or read. The first byte picks the format.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tesselon;
    constexpr std::array<const char*, 3> formats = {"obj", "stl", "ply"};
    if (size == 0)
        return 0;
    try {
        const Mesh mesh =
            MeshIO::load(Fuzz::textOf(data + 1, size - 1), formats[data[0] % formats.size()], "fuzz");
        volatile std::size_t sink = mesh.vertices().size();
        (void)sink;
    } catch (const MeshFileError&) {
    }
    return 0;
}
