#pragma once

#include "host/core/config/Parameter.h"
#include "host/core/geometry/Geometry.h"
#include "host/core/model/Algorithm.h"
#include "host/stream/TrackingSequence.h"

#include <Eigen/Core>

#include <optional>
#include <vector>

namespace Tesselon {

/// Computes a tracked tool's calibration (tipToMarker) from recorded motion and stores it in the
/// recordings: a pivot calibration (the tool pivots about its tip resting in a dip) gives the tip
/// offset; a needle direction calibration (the tool turns about its own axis) gives the axis as z.
/// With two recordings it does both and combines them. It refuses recordings whose motion cannot
/// determine the result, saying why, and then leaves the recordings' calibrations as they were.
class ToolCalibrationAlgorithm : public Algorithm
{
public:
    enum CalibrationType
    {
        Pivot3d = 0,
        NeedleDir = 1,
        PivotAndNeedleDir = 2
    };
    enum StatusCode
    {
        UnknownCalibrationType = 2,
        UnusableInput = 3,
        DegenerateMotion = 4
    };

    explicit ToolCalibrationAlgorithm(std::vector<TrackingSequence*> sequences);
    /// Either may be null: the first alone is pivoted, the second alone gives the needle direction.
    ToolCalibrationAlgorithm(TrackingSequence* pivoting, TrackingSequence* rotation);

    static bool createCompatible(const DataList& data, Algorithm** out);

    void configuration(Properties* properties) const override;
    void compute() override;

    /// The pivot calibration of a sequence: identity rotation, the fitted tip as translation.
    Eigen::Matrix4d performPivotCalibration3d(const TrackingSequence& sequence);
    /// The needle direction calibration of a sequence: the turning axis as z, no translation.
    Eigen::Matrix4d performNeedleDirectionCalibration(const TrackingSequence& sequence);
    /// Turns every sequence's calibration by half a turn about its x axis, reversing the needle direction.
    void rotateCalibration180();

    CalibrationType calibrationType() const { return static_cast<CalibrationType>(m_type.value()); }
    bool flip() const { return m_flip; }
    void setFlip(bool flip) { m_flip = flip; }
    Eigen::Matrix4d calibration() const { return m_calibration; }
    std::optional<Eigen::Vector3d> pivotPosition() const { return m_pivotPosition; }
    std::optional<Eigen::Vector3d> toolDirection() const { return m_toolDirection; }
    /// The last pivot fit with its residuals and the samples it trusted, if a pivot calibration ran.
    const std::optional<PivotFit>& lastPivotFit() const { return m_lastPivotFit; }
    /// Why the last compute refused its input (empty after a success).
    const std::string& problem() const { return m_problem; }

private:
    /// The type follows from the sequences; only a single sequence lets the user choose it.
    void registerParameters(CalibrationType type);
    bool inputIsUsable() const;
    bool computeCalibration();
    void toolDirectionFromFiducials(const TrackingSequence& sequence, const Eigen::Vector3d& pivot);
    void refuse(int status, const std::string& problem);

    std::vector<TrackingSequence*> m_sequences;
    Parameter<int> m_type{"CalibrationType", PivotAndNeedleDir};
    Parameter<bool> m_flip{"flip", false};
    std::optional<Eigen::Vector3d> m_pivotPosition;
    std::optional<Eigen::Vector3d> m_toolDirection;
    Eigen::Matrix4d m_calibration = Eigen::Matrix4d::Identity();
    std::optional<PivotFit> m_lastPivotFit;
    std::string m_problem;
};

}  // namespace Tesselon
