#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/Algorithm.h"
#include "host/core/model/PointCorrespondences.h"
#include "host/core/model/PointsOnImage.h"
#include "host/stream/TrackingInstrument.h"
#include "navigation/registration/PointsOnTrackingStream.h"

#include <Eigen/Core>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

class SharedImageSet;
class StreamData;
class TrackingStream;

/// Registers a live tracker to an image volume from paired points: the pointer's tip touched on the patient
/// (tracked points) and the same landmarks marked in the image (volume points), paired by index. `compute`
/// fits the rigid trackerToVolume transform and applies it as the registration type says: it moves the
/// image into tracker space, or, for points taken relative to a tracked reference, moves the image into the
/// reference's frame or writes the result into the reference's calibration.
///
/// Besides the fit's RMS error it reports each pair's residual and the registration error to expect at a
/// target, predicted from the fiducial configuration.
class LiveTrackingPointRegistrationAlgorithm : public Algorithm, public SignalReceiver
{
public:
    enum RegistrationType : int
    {
        GlobalTracking = 0,
        AdjustRegistrationOfVolume = 1,
        AdjustCalibrationOfRelativeTracker = 2
    };
    enum StatusCode
    {
        TooFewCorrespondences = 2,
        NoRelativeTracker = 3
    };

    /// One pair as the panel lists it: the tracked point (tracker or reference frame) and the volume point
    /// in image coordinates, each absent when that side has no point of this index yet.
    class Correspondence : public Configurable
    {
    public:
        Correspondence() { configureDefaults(); }
        Parameter<int> id{"id", -1, this};
        Parameter<std::optional<Eigen::Vector3d>> volume{"volume", std::nullopt, this};
        Parameter<std::optional<Eigen::Vector3d>> tracked{"tracked", std::nullopt, this};
    };

    /// Both must outlive the algorithm.
    LiveTrackingPointRegistrationAlgorithm(TrackingStream& stream, SharedImageSet& image);
    ~LiveTrackingPointRegistrationAlgorithm() override;

    /// Exactly one tracking stream and exactly one volume among the data.
    static bool createCompatible(const DataList& data, Algorithm** out);

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;
    void compute() override;

    /// Captures the pointer's calibrated tip from the latest sample as a new tracked point, if the pointer
    /// (and the reference, when points are taken relative to one) was seen with quality 0.8 or more. Returns
    /// the point's index and stores the point in `out`.
    std::optional<int> addLiveTrackingPoint(Eigen::Vector3d& out);
    /// Adds the volume point of the newest tracked point; false, adding nothing, for any other id.
    bool setVolumePoint(int id, const Eigen::Vector3d& worldPoint);

    /// trackerToVolume of the last successful fit; zero before the first.
    Eigen::Matrix4d trackerToVolumeTransform() const { return m_trackerToVolume; }
    /// The index the next pair will get.
    int correspondenceId() const { return m_correspondences.size(); }
    void resetCorrespondences() { m_correspondences.clear(); }
    std::vector<std::unique_ptr<Correspondence>> correspondences() const;

    /// Why the last compute refused to register (empty after a success).
    const std::string& problem() const { return m_problem; }
    /// The RMS distance of the pairs after the last successful fit (the fiducial registration error, mm).
    std::optional<double> registrationError() const { return m_registrationError; }
    /// The distance of each pair after the last successful fit, in pair order (mm).
    const std::vector<double>& residuals() const { return m_residuals; }
    /// The RMS registration error (mm) to expect at a target given in world coordinates, predicted from
    /// the current pairs and the localisation error that the last fit's error implies; nothing before a
    /// successful fit or when the pairs cannot predict one.
    std::optional<double> expectedTargetError(const Eigen::Vector3d& targetInWorld) const;

    Parameter<RegistrationType> registrationType{"registrationType", GlobalTracking, this};

    TrackingStream& stream() const { return m_stream; }
    SharedImageSet& image() const { return m_image; }
    PointsOnTrackingStream& trackedPoints() { return m_trackedPoints; }
    PointsOnImage& volumePoints() { return m_volumePoints; }
    PointCorrespondences& pointCorrespondences() { return m_correspondences; }

private:
    void onStreamData(const std::shared_ptr<const StreamData>& sample);
    void applyRegistration(const Eigen::Matrix4d& trackerToVolume);
    void moveImage(const Eigen::Matrix4d& trackerToVolume);
    void setRelativeCalibration(const std::string& relativeId, const Eigen::Matrix4d& calibration);
    void refuse(int status, const std::string& message);

    TrackingStream& m_stream;
    SharedImageSet& m_image;
    // Maps tracker (or reference) coordinates onto the volume points' world coordinates.
    Eigen::Matrix4d m_trackerToVolume = Eigen::Matrix4d::Zero();
    PointsOnImage m_volumePoints;
    PointsOnTrackingStream m_trackedPoints;
    PointCorrespondences m_correspondences;
    std::string m_problem;
    std::optional<double> m_registrationError;
    std::vector<double> m_residuals;

    mutable std::mutex m_instrumentMutex;
    TrackingInstrument m_lastInstrument;
    TrackingInstrument m_lastRelativeInstrument;
};

}  // namespace Tesselon
