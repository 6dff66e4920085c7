#pragma once

#include "host/core/config/Parameter.h"
#include "host/core/model/Algorithm.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include <Eigen/Core>

#include <memory>
#include <optional>

namespace Tesselon {

class SharedImageSet;
class TrackingStream;

/// Settings and geometry of the bullseye view, which looks down a planned straight needle path from A to B
/// (a line marked on a reference image) and shows where the tracked needle is relative to it. The camera
/// and the bullseye target sit on the path's extension beyond B, looking back at A. The tool is tracked by
/// an owned `ToolVisualizationAlgorithm`; the panel drives the view and calls the geometry on the GUI
/// thread.
class BullseyeVisualizationAlgorithm : public Algorithm
{
public:
    /// Both must outlive the algorithm.
    BullseyeVisualizationAlgorithm(TrackingStream* stream, SharedImageSet* image);

    /// Exactly two data objects: a `TrackingStream` and an image.
    static bool createCompatible(const DataList& data, Algorithm** out);

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;
    void compute() override {}

    SharedImageSet* referenceImage() const { return m_referenceImage; }
    ToolVisualizationAlgorithm& toolVisAlg() const { return *m_toolVisualization; }
    TrackingStream* trackingStream() const { return m_toolVisualization->trackingStream(); }
    /// The tracked tool's pose (toolToWorld), when its last sample passed the quality threshold.
    std::optional<Eigen::Matrix4d> lastToolMatrix() const { return m_toolVisualization->lastToolMatrix(); }

    void setLinePoints(const Eigen::Vector3d& a, const Eigen::Vector3d& b);
    const Eigen::Vector3d& lineStart() const { return m_lineStart; }
    const Eigen::Vector3d& lineEnd() const { return m_lineEnd; }

    /// The pose at `eye` looking at `target`: x to the right, y up (as close to `up` as the view allows), z
    /// from the target back to the eye. When `up` is parallel to the view, another up vector is taken so
    /// that the pose stays a rotation.
    static Eigen::Matrix4d createLookAt(const Eigen::Vector3d& eye, const Eigen::Vector3d& target,
                                        const Eigen::Vector3d& up);
    /// The camera pose on the path's extension, `distance` + "bullseyeDistance" beyond B, looking at A.
    Eigen::Matrix4d createLookAtAlongNeedle(double distance) const;
    /// The tool projected into the path's plane for the target overlay: for the tip and for the point
    /// "needleLength" up the tool axis, (minus the offset across the path, the depth along it from A), mm.
    void computeOverlayParameters(Eigen::Vector2d& tip, Eigen::Vector2d& back,
                                  const Eigen::Matrix4d& toolToWorld) const;
    /// The path length scaled by "targetRingDistanceFactor".
    double annotationLineDistance() const;

    Parameter<std::string> toolMeshPath{"toolMeshPath", ":/TrackingPointerExtended.obj", this};
    Parameter<std::string> bullseyeMeshPath{"bullseyeMeshPath", ":/Bullseye.obj", this};
    Parameter<std::string> toolRingMeshPath{"toolRingMeshPath", ":/SingleRing.obj", this};
    Parameter<int> fontSize{"fontSize", 18, this};
    Parameter<int> textOffset{"textOffset", 25, this};
    Parameter<int> topMargin{"topMargin", 2, this};
    Parameter<int> whiskerMargin{"whiskerMargin", 15, this};
    Parameter<double> barHeightInMM{"barHeightInMM", 100.0, this};
    Parameter<double> barWidthInMM{"barWidthInMM", 20.0, this};
    Parameter<double> targetRingDistanceFactor{"targetRingDistanceFactor", 2.0, this};
    Parameter<double> needleLength{"needleLength", 50.0, this};
    Parameter<double> bullseyeDistance{"bullseyeDistance", 150.0, this};
    Parameter<double> viewDistance{"viewDistance", 100.0, this};

private:
    /// The unit direction from A to B, or zero when they coincide.
    Eigen::Vector3d pathDirection() const;

    SharedImageSet* m_referenceImage;
    std::unique_ptr<ToolVisualizationAlgorithm> m_toolVisualization;
    Eigen::Vector3d m_lineStart = Eigen::Vector3d::Zero();
    Eigen::Vector3d m_lineEnd = Eigen::Vector3d::Zero();
};

}  // namespace Tesselon
