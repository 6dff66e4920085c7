#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"

#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/Camera.h"
#include "host/stream/TrackingStream.h"

#include <cmath>

namespace Tesselon {
namespace {

/// The vector divided by its length, or unchanged when its length is 0.
Eigen::Vector3d normalisedOrZero(const Eigen::Vector3d& vector)
{
    const double squaredLength = vector.squaredNorm();
    return squaredLength > 0.0 ? Eigen::Vector3d(vector / std::sqrt(squaredLength)) : vector;
}

/// The component of `vector` across the unit (or zero) direction.
Eigen::Vector3d across(const Eigen::Vector3d& vector, const Eigen::Vector3d& direction)
{
    return vector - vector.dot(direction) * direction;
}

}  // namespace

BullseyeVisualizationAlgorithm::BullseyeVisualizationAlgorithm(TrackingStream* stream, SharedImageSet* image)
    : m_referenceImage(image), m_toolVisualization(std::make_unique<ToolVisualizationAlgorithm>(stream))
{
    configureDefaults();
    // The saved configuration takes the tool mesh from the embedded algorithm; it must never be stale.
    m_toolVisualization->followMeshPath(toolMeshPath);
}

bool BullseyeVisualizationAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    if (data.size() != 2)
        return false;
    auto* stream = dynamic_cast<TrackingStream*>(data.getFirst(Data::TrackingStream));
    auto* image = data.getImage();
    if (!stream || !image)
        return false;
    if (out)
        *out = new BullseyeVisualizationAlgorithm(stream, image);
    return true;
}

void BullseyeVisualizationAlgorithm::configure(const Properties* properties)
{
    if (!properties)
        return;
    Algorithm::configure(properties);
    for (Parameter<std::string>* path : {&toolMeshPath, &bullseyeMeshPath, &toolRingMeshPath})
        ToolVisualizationAlgorithm::fixAbsolutePath(*path);
    m_toolVisualization->configureEmbedded(properties, toolMeshPath);
}

void BullseyeVisualizationAlgorithm::configuration(Properties* properties) const
{
    if (!properties)
        return;
    Algorithm::configuration(properties);
    m_toolVisualization->embeddedConfiguration(properties, toolMeshPath.name());
}

void BullseyeVisualizationAlgorithm::setLinePoints(const Eigen::Vector3d& a, const Eigen::Vector3d& b)
{
    m_lineStart = a;
    m_lineEnd = b;
}

Eigen::Vector3d BullseyeVisualizationAlgorithm::pathDirection() const
{
    return normalisedOrZero(m_lineEnd - m_lineStart);
}

Eigen::Matrix4d BullseyeVisualizationAlgorithm::createLookAt(const Eigen::Vector3d& eye,
                                                             const Eigen::Vector3d& target,
                                                             const Eigen::Vector3d& up)
{
    if (eye == target) {
        // Nothing to look at (a path of zero length): the pose only places the eye.
        Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
        pose.block<3, 1>(0, 3) = eye;
        return pose;
    }
    Camera camera;
    camera.setLookAt(eye, target, up);
    return camera.matrix();
}

Eigen::Matrix4d BullseyeVisualizationAlgorithm::createLookAtAlongNeedle(double distance) const
{
    const Eigen::Vector3d eye = m_lineEnd + (distance + bullseyeDistance) * pathDirection();
    return createLookAt(eye, m_lineStart, Eigen::Vector3d::UnitZ());
}

void BullseyeVisualizationAlgorithm::computeOverlayParameters(Eigen::Vector2d& tip, Eigen::Vector2d& back,
                                                              const Eigen::Matrix4d& toolToWorld) const
{
    const Eigen::Vector3d direction = pathDirection();
    const Eigen::Vector3d& a = m_lineStart;
    const Eigen::Vector3d tipPoint = toolToWorld.block<3, 1>(0, 3);
    const Eigen::Vector3d backPoint = (toolToWorld * Eigen::Vector4d(0, 0, needleLength, 1)).head<3>();
    const Eigen::Vector3d tipToPath = across(a - tipPoint, direction);
    const Eigen::Vector3d backToPath = across(a - backPoint, direction);
    tip = {-tipToPath.norm(), (tipPoint - a).dot(direction)};
    back = {-normalisedOrZero(tipToPath).dot(backToPath), (backPoint - a).dot(direction)};
}

double BullseyeVisualizationAlgorithm::annotationLineDistance() const
{
    return (m_lineEnd - m_lineStart).norm() * targetRingDistanceFactor;
}

}  // namespace Tesselon
