#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/model/PointsOnData.h"

#include <Eigen/Core>

#include <memory>

namespace Tesselon {

/// The non-GUI part of a tool that edits a point set: the hooks through which point lists and views ask
/// for new points, by live capture or by interaction. The hooks do nothing here; kinds of point set with a
/// live source override them.
class PointsOnDataManipulator : public SignalReceiver
{
public:
    /// Shares the set. Throws std::invalid_argument when `points` is null.
    explicit PointsOnDataManipulator(std::shared_ptr<PointsOnData> points);
    /// Edits a set owned elsewhere, which must outlive the manipulator.
    explicit PointsOnDataManipulator(PointsOnData& points);
    ~PointsOnDataManipulator() override;

    PointsOnData& pointHandler() const { return *m_points; }

    /// Begins creating a point from the live source, if there is one.
    virtual void startPointCreation() {}
    /// Abandons a point creation that has not finished.
    virtual void cancelPointCreation() {}
    virtual bool isCreatingPoint() const { return false; }
    /// A point placed by interaction in a view, in world millimetres.
    virtual void onCreatePointInteraction(const Eigen::Vector3d& worldPoint);

private:
    std::shared_ptr<PointsOnData> m_sharedPoints;
    PointsOnData* m_points;
};

}  // namespace Tesselon
