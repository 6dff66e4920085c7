#include "navigation/calibration/ToolCalibrationAlgorithm.h"

#include "host/core/base/Log.h"
#include "host/core/geometry/Math.h"
#include "host/core/geometry/Pose.h"
#include "host/core/model/DataList.h"
#include "host/stream/TrackingInstrumentFiducialsData.h"

#include <fmt/core.h>
#include <Eigen/Eigenvalues>
#include <Eigen/Geometry>

#include <cmath>
#include <numbers>
#include <sstream>

namespace Tesselon {
namespace {

constexpr const char* category = "ToolCalibrationAlgorithm";
// Below this turn between the first and the last sample the needle axis is mostly noise.
constexpr double minimumNeedleTurnDegrees = 10.0;
// A careful pivot leaves residuals near the tracker's noise; far above it the tip left its divot.
constexpr double largeResidualMm = 2.0;

template <class Matrix>
std::string text(const Matrix& matrix)
{
    std::ostringstream stream;
    stream << matrix;
    return stream.str();
}

Eigen::Matrix4d translation(const Eigen::Vector3d& offset)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.topRightCorner<3, 1>() = offset;
    return matrix;
}

/// A right-handed frame whose z axis is `axis`.
Eigen::Matrix3d frameAround(const Eigen::Vector3d& axis)
{
    // The frame's roll follows from crossing with x; only an axis along x itself needs another helper.
    Eigen::Vector3d b = axis.cross(Eigen::Vector3d::UnitX());
    if (b.norm() < 1e-12)
        b = axis.cross(Eigen::Vector3d::UnitY());
    if (b.squaredNorm() > 0.0)
        b.normalize();
    Eigen::Vector3d c = b.cross(axis);
    if (c.squaredNorm() > 0.0)
        c.normalize();
    Eigen::Matrix3d frame;
    frame << c, b, axis;
    return frame;
}

/// The real eigenvector of a rotation: its axis (the first real eigenvalue in the solver's order).
Eigen::Vector3d rotationAxis(const Eigen::Matrix3d& rotation)
{
    const Eigen::EigenSolver<Eigen::Matrix3d> solver(rotation, true);
    Eigen::Vector3d axis = Eigen::Vector3d::UnitZ();
    for (int i = 0; i < 3; ++i) {
        if (std::abs(solver.eigenvalues()[i].imag()) < 1e-9) {
            axis = solver.eigenvectors().col(i).real();
            break;
        }
    }
    if (axis.squaredNorm() > 0.0)
        axis.normalize();
    return axis;
}

}  // namespace

ToolCalibrationAlgorithm::ToolCalibrationAlgorithm(std::vector<TrackingSequence*> sequences)
    : m_sequences(std::move(sequences))
{
    registerParameters(m_sequences.size() == 1 ? Pivot3d : PivotAndNeedleDir);
}

ToolCalibrationAlgorithm::ToolCalibrationAlgorithm(TrackingSequence* pivoting, TrackingSequence* rotation)
{
    for (TrackingSequence* sequence : {pivoting, rotation})
        if (sequence)
            m_sequences.push_back(sequence);
    const CalibrationType type = pivoting && !rotation   ? Pivot3d
                                 : rotation && !pivoting ? NeedleDir
                                                         : PivotAndNeedleDir;
    registerParameters(type);
}

void ToolCalibrationAlgorithm::registerParameters(CalibrationType type)
{
    m_type.setDefaultValue(type);
    m_type.setValue(type);
    if (m_sequences.size() == 1) {
        m_type.setLabel("Calibration Type");
        m_type.setAttribute("values", "Pivot3d,NeedleDir");
        registerParameter(&m_type);
    }
    m_flip.setLabel("Flip");
    m_flip.setAttribute("tooltip", "Turn the result by half a turn about x, reversing the needle direction");
    registerParameter(&m_flip);
    configureDefaults();
}

bool ToolCalibrationAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    const auto sequences = data.getTrackingSequences();
    if (sequences.empty() || sequences.size() > 2)
        return false;
    if (out)
        *out = new ToolCalibrationAlgorithm(sequences[0], sequences.size() == 2 ? sequences[1] : nullptr);
    return true;
}

void ToolCalibrationAlgorithm::configuration(Properties* properties) const
{
    // With two recordings the type is fixed, and the stored form has never recorded the flip either.
    if (!properties || m_sequences.size() != 1)
        return;
    Configurable::configuration(properties);
    properties->setParamType("CalibrationType", ParamType::Enumeration);
}

bool ToolCalibrationAlgorithm::inputIsUsable() const
{
    if (m_sequences.empty() || m_sequences.size() > 2 || !m_sequences[0] || m_sequences[0]->size() < 2)
        return false;
    // A second recording without samples cannot be read either.
    return m_sequences.size() == 1 || (m_sequences[1] && !m_sequences[1]->empty());
}

void ToolCalibrationAlgorithm::compute()
{
    m_problem.clear();
    if (!inputIsUsable()) {
        refuse(UnusableInput,
               "Input tracking sequence requirements not fulfilled! Missing sequence or too many "
               "sequences.");
        return;
    }
    std::vector<Eigen::Matrix4d> previous;
    for (TrackingSequence* sequence : m_sequences) {
        previous.push_back(sequence->calibration());
        sequence->setCalibration(Eigen::Matrix4d::Identity());
    }
    if (!computeCalibration()) {
        // A refused recording must not cost the tool the calibration it had.
        for (std::size_t i = 0; i < m_sequences.size(); ++i)
            m_sequences[i]->setCalibration(previous[i]);
        return;
    }
    if (m_flip)
        rotateCalibration180();
    Log::log(Log::Info, category, "Final calibration matrix: \n" + text(m_sequences.front()->calibration()));
    setStatus(Success);
}

bool ToolCalibrationAlgorithm::computeCalibration()
{
    if (m_sequences.size() == 1) {
        TrackingSequence& sequence = *m_sequences.front();
        if (m_type.value() == Pivot3d)
            m_calibration = performPivotCalibration3d(sequence);
        else if (m_type.value() == NeedleDir)
            m_calibration = performNeedleDirectionCalibration(sequence);
        else {
            refuse(UnknownCalibrationType, "Unknown calibration type!");
            return false;
        }
        if (!m_problem.empty())
            return false;
        sequence.setCalibration(m_calibration);
        return true;
    }
    m_calibration = performPivotCalibration3d(*m_sequences[0]);
    if (!m_problem.empty())
        return false;
    m_sequences[1]->setCalibration(m_calibration);
    const Eigen::Matrix4d needle = performNeedleDirectionCalibration(*m_sequences[1]);
    if (!m_problem.empty())
        return false;
    m_calibration = m_calibration * needle;
    for (TrackingSequence* sequence : m_sequences)
        sequence->setCalibration(m_calibration);
    return true;
}

Eigen::Matrix4d ToolCalibrationAlgorithm::performPivotCalibration3d(const TrackingSequence& sequence)
{
    const std::size_t n = sequence.size();
    Log::log(Log::Info, category, "Performing pivot calibration with " + std::to_string(n) + " samples.");
    std::vector<Eigen::Matrix4d> poses;
    for (std::size_t i = 0; i < n; ++i)
        if (sequence.isValid(i))
            poses.push_back(sequence.matrix(i));
    m_lastPivotFit = Geometry::fitSpherePivotingPoses(poses);
    const PivotFit& fit = *m_lastPivotFit;
    if (!fit.valid) {
        refuse(DegenerateMotion, fit.problem);
        return Eigen::Matrix4d::Identity();
    }
    m_pivotPosition = fit.pivotInTracker;
    if (Log::isAccepted(Log::Info, "")) {
        Log::log(Log::Info, "", "Calibration done. Offset: " + text(fit.tipInMarker.transpose()));
        Log::log(Log::Info, "", "Pos in world space: " + text(fit.pivotInTracker.transpose()));
        Log::log(Log::Info, "",
                 "Reproj errors. Mean: " + std::to_string(fit.meanResidual) + ", min: " +
                     std::to_string(fit.minResidual) + ", max: " + std::to_string(fit.maxResidual));
    }
    if (fit.rmsResidual > largeResidualMm)
        Log::log(
            Log::Warning, category,
            fmt::format(
                "The pivot residuals are large (RMS {:.2f} mm over {} samples): the tip probably left its "
                "divot during the recording. Check the result or record again.",
                fit.rmsResidual, fit.samples));
    toolDirectionFromFiducials(sequence, fit.pivotInTracker);
    return translation(fit.tipInMarker);
}

void ToolCalibrationAlgorithm::toolDirectionFromFiducials(const TrackingSequence& sequence,
                                                          const Eigen::Vector3d& pivot)
{
    if (sequence.empty() || !sequence.component<TrackingInstrumentFiducialsData>(0))
        return;
    const std::uint64_t tool = sequence.trackerId().idHash();
    Eigen::Vector3d sum = Eigen::Vector3d::Zero();
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const auto fiducials = sequence.component<TrackingInstrumentFiducialsData>(i);
        if (!fiducials)
            continue;
        for (const auto& fiducial : fiducials->fiducials())
            if (fiducial.instrumentIdHash == tool)
                sum += fiducial.position - pivot;
    }
    if (sum.isZero(0.0))
        return;
    m_toolDirection = sum.normalized();
}

Eigen::Matrix4d ToolCalibrationAlgorithm::performNeedleDirectionCalibration(const TrackingSequence& sequence)
{
    const Eigen::Matrix4d first = sequence.matrix(0);
    const Eigen::Matrix4d last = sequence.matrix(sequence.size() - 1);
    const Eigen::Matrix3d firstToLast = first.topLeftCorner<3, 3>().transpose() * last.topLeftCorner<3, 3>();
    const double turnDegrees = Pose::geodesicDistance(first, last) * 180.0 / std::numbers::pi;
    if (turnDegrees < minimumNeedleTurnDegrees) {
        refuse(DegenerateMotion,
               "The tool turned only " + std::to_string(turnDegrees) +
                   " degrees about its axis between the first and the last sample; turn it by at "
                   "least " +
                   std::to_string(minimumNeedleTurnDegrees) + " degrees.");
        return Eigen::Matrix4d::Identity();
    }
    const Eigen::Vector3d axis = rotationAxis(firstToLast);
    const Eigen::Matrix3d frame = frameAround(axis);
    if (Log::isAccepted(Log::Info, category)) {
        Log::log(Log::Info, category, "Rotation axis: " + text(axis.transpose()));
        Log::log(Log::Info, category, "Matrix: " + text(frame));
        Log::log(Log::Info, category, "Det: " + std::to_string(frame.determinant()));
    }
    Eigen::Matrix4d result = Eigen::Matrix4d::Identity();
    result.topLeftCorner<3, 3>() = frame;
    const Eigen::Matrix4d needleToTracker = first * result;
    Eigen::Vector3d direction = Math::transformPointAffine(needleToTracker, Eigen::Vector3d::UnitZ()) -
                                Math::transformPointAffine(needleToTracker, Eigen::Vector3d::Zero());
    if (direction.squaredNorm() > 0.0)
        direction.normalize();
    m_toolDirection = direction;
    return result;
}

void ToolCalibrationAlgorithm::rotateCalibration180()
{
    const Eigen::Matrix4d halfTurn = Pose::eulerToMat({180.0, 0.0, 0.0}, Eigen::Vector3d::Zero());
    for (TrackingSequence* sequence : m_sequences) {
        m_calibration = sequence->calibration() * halfTurn;
        sequence->setCalibration(m_calibration);
        Log::log(Log::Info, category, "Calibration rotated by 180 is: \n" + text(m_calibration));
    }
    m_flip = !m_flip.value();
    if (m_toolDirection)
        m_toolDirection = -*m_toolDirection;
}

void ToolCalibrationAlgorithm::refuse(int status, const std::string& problem)
{
    m_problem = problem;
    Log::log(Log::Error, category, problem);
    setStatus(status);
}

}  // namespace Tesselon
