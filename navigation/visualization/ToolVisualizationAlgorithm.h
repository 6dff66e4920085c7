#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/Algorithm.h"
#include "host/stream/TrackingInstrumentFiducialsData.h"

#include <Eigen/Core>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace Tesselon {

class SharedImageSet;
class StreamData;
class TrackingStream;

/// Follows one tracked instrument of a live stream, optionally relative to a reference instrument, and keeps
/// the calibrated tool's latest pose in world coordinates with its quality and the sample's raw fiducials.
/// It draws nothing: its panel, and the navigation, bullseye and calibration views that embed one, read it.
///
/// Samples are processed on the stream's thread while `running`; the accessors run on the GUI thread.
class ToolVisualizationAlgorithm : public Algorithm, public SignalReceiver
{
public:
    /// With an image, the stream is placed where the image is: the stream's pose becomes the image's.
    /// The stream (and the image) must outlive the algorithm.
    explicit ToolVisualizationAlgorithm(TrackingStream* stream, SharedImageSet* image = nullptr);
    ~ToolVisualizationAlgorithm() override;

    /// One or two data objects, the first tracking stream among them a `TrackingStream`; an image optional.
    static bool createCompatible(const DataList& data, Algorithm** out);

    /// Also warns about the retired name keys and makes a relative existing mesh path absolute.
    void configure(const Properties* properties) override;
    void compute() override;

    /// For an algorithm that embeds this one: keeps `mesh` equal to the embedding algorithm's own mesh path
    /// parameter, which must outlive this algorithm.
    void followMeshPath(Parameter<std::string>& meshPath);
    /// For an algorithm that embeds this one in its own configuration block and keeps the tool mesh under
    /// its own key: configures from the block, then takes the mesh from `meshPath`.
    void configureEmbedded(const Properties* properties, const std::string& meshPath);
    /// Writes this algorithm's keys into the embedding algorithm's block, the mesh under `meshKey` only.
    void embeddedConfiguration(Properties* properties, const std::string& meshKey) const;

    void onStreamData(const std::shared_ptr<const StreamData>& sample);

    /// toolToWorld, when the last sample's quality is above the threshold.
    std::optional<Eigen::Matrix4d> lastToolMatrix() const;
    /// The target instrument's pose as received (markerToTracker), under the same condition.
    std::optional<Eigen::Matrix4d> rawToolMatrix() const;
    double lastQuality() const;
    /// The last sample's raw fiducials in world coordinates, or null when it had none.
    std::unique_ptr<TrackingInstrumentFiducialsData> lastRawFiducialData() const;
    /// Moves the stream so that the current tool pose becomes `toolToWorld`.
    void updateReference(const Eigen::Matrix4d& toolToWorld);

    TrackingStream* trackingStream() const { return m_stream; }
    /// Turns a relative path of an existing file into an absolute one; resource paths (":/...") and paths
    /// of missing files stay as they are.
    static void fixAbsolutePath(Parameter<std::string>& path);

    Parameter<std::string> trackingTargetId{"trackingTargetId", "", this};
    Parameter<std::string> trackingTargetRelId{"trackingTargetRelId", "", this};
    Parameter<std::string> mesh{"mesh", ":/TrackingPointer.obj", this};
    Parameter<bool> useFaceNormals{"useFaceNormals", false, this};
    Parameter<bool> autostart{"autostart", false, this};
    Parameter<bool> linkMPRs{"linkMPRs", true, this};
    Parameter<bool> linkWithRot{"linkWithRot", true, this};
    Parameter<bool> showRawFiducials{"showRawFiducials", false, this};
    Parameter<double> qualityThreshold{"qualityThreshold", 0.2, this};
    Parameter<bool> projectiveRendering{"projectiveRendering", false, this};
    Parameter<bool> snapToClosestAxis{"snapToClosestAxis", false, this};
    Parameter<bool> ignoreInPlaneTranslation{"ignoreInPlaneTranslation", false, this};

    /// Samples are ignored while false; the panel's Start and Stop set it.
    std::atomic<bool> running = false;
    /// Emitted on the stream's thread after each processed sample.
    Signal<> toolUpdated;

private:
    /// What the stream's thread reads of the parameters, copied whenever one of them changes.
    struct Selection
    {
        std::string targetId;
        std::string referenceId;
        double qualityThreshold = 0.2;
    };

    void refreshSelection();
    Eigen::Matrix4d calibrationOf(const std::string& instrumentId) const;
    void warnAboutRetiredKeys(const Properties& properties) const;
    void reportUnusablePose(bool unusable);

    TrackingStream* m_stream;
    // Guards the selection and the pose state below.
    mutable std::recursive_mutex m_mutex;
    Selection m_selection;
    Eigen::Matrix4d m_rawToolMatrix = Eigen::Matrix4d::Identity();
    // toolToWorld.
    Eigen::Matrix4d m_toolMatrix = Eigen::Matrix4d::Identity();
    double m_lastQuality = 0.0;
    std::unique_ptr<TrackingInstrumentFiducialsData> m_lastFiducials;
    bool m_unusablePoseReported = false;
};

}  // namespace Tesselon
