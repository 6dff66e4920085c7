#include "host/core/io/MeshIO.h"

#include "host/core/io/FileAccess.h"
#include "host/core/io/FileFormatError.h"
#include "host/core/io/MeshFileError.h"

#include <QFileInfo>
#include <QString>

#include <assimp/MemoryIOWrapper.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>

#include <fmt/format.h>

#include <Eigen/LU>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <vector>

namespace Tesselon {

namespace {

// Refuses every file, so reading bytes never touches the disk: an OBJ's `mtllib` finds nothing and the OBJ
// reader carries on with its default material instead of reading whatever lies in the working directory.
class NoFileSystem : public Assimp::IOSystem
{
public:
    bool Exists(const char*) const override { return false; }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char*, const char*) override { return nullptr; }
    void Close(Assimp::IOStream*) override {}
};

std::string lowerCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string checkedFormat(std::string_view formatHint, const std::string& source)
{
    const std::string format = lowerCase(formatHint);
    if (format != "obj" && format != "stl" && format != "ply")
        throw MeshFileError(source, 0,
                            fmt::format("unknown mesh format \"{}\"; expected obj, stl or ply", formatHint));
    return format;
}

// Where the PLY header's "end_header" line ends; assimp's PLY reader never returns from a header without it.
std::size_t plyHeaderEnd(std::string_view bytes, const std::string& source)
{
    constexpr std::string_view end = "\nend_header";
    for (auto at = bytes.find(end); at != std::string_view::npos; at = bytes.find(end, at + 1)) {
        const std::size_t next = at + end.size();
        if (next == bytes.size() || bytes[next] == '\n' || bytes[next] == '\r')
            return next;
    }
    throw MeshFileError(source, 0, "the PLY header has no \"end_header\" line; expected one before the data");
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> result;
    for (std::size_t at = 0; (at = line.find_first_not_of(" \t\r", at)) != std::string_view::npos;) {
        const std::size_t stop = std::min(line.find_first_of(" \t\r", at), line.size());
        result.push_back(line.substr(at, stop - at));
        at = stop;
    }
    return result;
}

// One header line: a malformed one makes assimp read the data wrongly (a mangled list property had it ask
// for 32 GB), and an element count beyond the data's size makes it allocate what the header claims.
void requireSoundPlyHeaderLine(std::string_view line, int number, std::size_t dataBytes,
                               const std::string& source)
{
    const std::vector<std::string_view> word = words(line);
    const std::string_view keyword = word.empty() ? std::string_view() : word[0];
    if (word.empty() || keyword == "format" || keyword == "comment" || keyword == "obj_info")
        return;
    if (keyword == "property" && (word.size() == 3 || (word.size() == 5 && word[1] == "list")))
        return;
    if (keyword == "element" && word.size() == 3) {
        std::size_t count = 0;
        const auto [end, error] = std::from_chars(word[2].data(), word[2].data() + word[2].size(), count);
        if (error == std::errc() && end == word[2].data() + word[2].size() && count <= dataBytes)
            return;
        throw MeshFileError(
            source, number,
            fmt::format("the PLY header declares {} \"{}\" elements, but only {} bytes of data follow",
                        FileFormatError::excerpt(word[2]), FileFormatError::excerpt(word[1]), dataBytes));
    }
    throw MeshFileError(source, number,
                        fmt::format("\"{}\" is not a PLY header line; expected format, comment, element or "
                                    "property",
                                    FileFormatError::excerpt(line)));
}

void requireSoundPlyHeader(std::string_view bytes, const std::string& source)
{
    const std::size_t headerEnd = plyHeaderEnd(bytes, source);
    const std::size_t dataBytes = bytes.size() - headerEnd;
    const std::string_view header = bytes.substr(0, headerEnd);
    int number = 1;
    // The first line is the magic word, which assimp checks; the last is "end_header".
    for (std::size_t start = header.find('\n') + 1, stop;
         (stop = header.find('\n', start)) != std::string_view::npos; start = stop + 1)
        requireSoundPlyHeaderLine(header.substr(start, stop - start), ++number, dataBytes, source);
}

Eigen::Matrix4d toEigen(const aiMatrix4x4& m)
{
    Eigen::Matrix4d result;
    for (unsigned row = 0; row < 4; ++row)
        for (unsigned column = 0; column < 4; ++column)
            result(row, column) = m[row][column];
    return result;
}

Eigen::Vector3d toEigen(const aiVector3D& v)
{
    return {v.x, v.y, v.z};
}

// Gathers the triangles of every mesh instance in the node tree, in world (file) coordinates.
class SceneMerger
{
public:
    SceneMerger(const aiScene& scene, const std::string& source) : m_scene(scene), m_source(source) {}

    void addNode(const aiNode& node, const Eigen::Matrix4d& parentToWorld)
    {
        const Eigen::Matrix4d nodeToWorld = parentToWorld * toEigen(node.mTransformation);
        for (unsigned i = 0; i < node.mNumMeshes; ++i)
            if (node.mMeshes[i] < m_scene.mNumMeshes)
                addMesh(*m_scene.mMeshes[node.mMeshes[i]], nodeToWorld);
        for (unsigned i = 0; i < node.mNumChildren; ++i)
            addNode(*node.mChildren[i], nodeToWorld);
    }

    Mesh mesh()
    {
        if (m_faces.empty())
            throw MeshFileError(m_source, 0, "holds no triangles; expected at least one triangle mesh");
        Mesh mesh(std::move(m_vertices), std::move(m_faces));
        if (m_everyPartHasNormals && std::all_of(m_normals.begin(), m_normals.end(),
                                                 [](const Eigen::Vector3d& n) { return n.allFinite(); }))
            mesh.setNormals(std::move(m_normals));
        else
            mesh.computeVertexNormals();
        return mesh;
    }

private:
    void addMesh(const aiMesh& part, const Eigen::Matrix4d& meshToWorld)
    {
        if (m_vertices.size() + part.mNumVertices > static_cast<std::size_t>(INT_MAX))
            throw MeshFileError(m_source, 0, "has more vertices than a mesh can hold");
        const int offset = static_cast<int>(m_vertices.size());
        const Eigen::Matrix3d linear = meshToWorld.topLeftCorner<3, 3>();
        const Eigen::Matrix3d normalToWorld = linear.inverse().transpose();
        m_everyPartHasNormals = m_everyPartHasNormals && part.HasNormals();
        for (unsigned i = 0; i < part.mNumVertices; ++i) {
            const Eigen::Vector3d vertex =
                linear * toEigen(part.mVertices[i]) + meshToWorld.topRightCorner<3, 1>();
            if (!vertex.allFinite())
                throw MeshFileError(m_source, 0,
                                    fmt::format("vertex {} of mesh \"{}\" is not finite", i,
                                                MeshFileError::excerpt(part.mName.C_Str())));
            m_vertices.push_back(vertex);
            if (m_everyPartHasNormals)
                m_normals.push_back((normalToWorld * toEigen(part.mNormals[i])).normalized());
        }
        for (unsigned i = 0; i < part.mNumFaces; ++i) {
            const aiFace& face = part.mFaces[i];
            if (face.mNumIndices != 3)
                continue;
            m_faces.push_back({offset + static_cast<int>(face.mIndices[0]),
                               offset + static_cast<int>(face.mIndices[1]),
                               offset + static_cast<int>(face.mIndices[2])});
        }
    }

    const aiScene& m_scene;
    const std::string& m_source;
    std::vector<Eigen::Vector3d> m_vertices;
    std::vector<Mesh::Triangle> m_faces;
    std::vector<Eigen::Vector3d> m_normals;
    bool m_everyPartHasNormals = true;
};

// Assimp's own checks let a face without corners through, and its later steps abort the process on one.
void requireWellFormedFaces(const aiScene& scene, const std::string& source)
{
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& part = *scene.mMeshes[m];
        for (unsigned f = 0; f < part.mNumFaces; ++f) {
            const aiFace& face = part.mFaces[f];
            if (face.mNumIndices == 0)
                throw MeshFileError(source, 0, fmt::format("face {} of mesh {} has no corners", f, m));
            for (unsigned i = 0; i < face.mNumIndices; ++i)
                if (face.mIndices[i] >= part.mNumVertices)
                    throw MeshFileError(
                        source, 0,
                        fmt::format("face {} of mesh {} refers to vertex {}, but there are {}", f, m,
                                    face.mIndices[i], part.mNumVertices));
        }
    }
}

// Reads the scene, checks it, and only then triangulates and joins vertices.
const aiScene* importScene(Assimp::Importer& importer, std::string_view bytes, const std::string& format,
                           const std::string& source)
{
    // Points and lines are dropped rather than turned into degenerate triangles.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    importer.SetIOHandler(new NoFileSystem);  // the importer owns it
    const auto failure = [&](std::string why) {
        // Assimp names the bytes by its own placeholder file name; the source is named already.
        const std::string placeholder = std::string(AI_MEMORYIO_MAGIC_FILENAME) + "." + format;
        for (auto at = why.find(placeholder); at != std::string::npos; at = why.find(placeholder))
            why.replace(at, placeholder.size(), "the data");
        return MeshFileError(source, 0, fmt::format("cannot read {} data: {}", format, why));
    };
    const aiScene* scene = nullptr;
    try {
        scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), aiProcess_ValidateDataStructure,
                                            format.c_str());
        if (scene != nullptr && (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) == 0 &&
            scene->mRootNode != nullptr) {
            requireWellFormedFaces(*scene, source);
            scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                                 aiProcess_SortByPType);
        }
    } catch (const MeshFileError&) {
        throw;
    } catch (const std::exception& error) {
        throw failure(error.what());
    }
    if (scene == nullptr)
        throw failure(importer.GetErrorString());
    if ((scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr)
        throw MeshFileError(source, 0, fmt::format("holds no mesh; expected {} triangle data", format));
    return scene;
}

}  // namespace

Mesh MeshIO::load(std::string_view bytes, std::string_view formatHint, const std::string& source)
{
    const std::string format = checkedFormat(formatHint, source);
    if (bytes.empty())
        throw MeshFileError(source, 0, fmt::format("is empty; expected {} data", format));
    if (format == "ply")
        requireSoundPlyHeader(bytes, source);
    Assimp::Importer importer;
    const aiScene* scene = importScene(importer, bytes, format, source);
    SceneMerger merger(*scene, source);
    merger.addNode(*scene->mRootNode, Eigen::Matrix4d::Identity());
    return merger.mesh();
}

Mesh MeshIO::load(const std::string& path)
{
    const std::string extension = QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
    if (extension != "obj" && extension != "stl" && extension != "ply")
        throw MeshFileError(path, 0, "unknown file type; expected a mesh ending in .obj, .stl or .ply");
    const QByteArray bytes = FileAccess::readAll<MeshFileError>(path);
    return load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), extension, path);
}

}  // namespace Tesselon
