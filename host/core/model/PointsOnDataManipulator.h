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
    /// Point `index` was dragged in a view to `point`, in the set's own coordinates (`pointsToWorld`).
    virtual void onMovePointInteraction(int index, const Eigen::Vector3d& point);
    /// Whether a click in a view places the point that `startPointCreation` asked for; otherwise points
    /// come from a live source.
    virtual bool placesPointsByClick() const { return false; }
    /// Maps the set's coordinates into the world, for showing the points in the views.
    virtual Eigen::Matrix4d pointsToWorld() const { return Eigen::Matrix4d::Identity(); }

    /// The colour the views draw the points in, RGB in [0, 1].
    const Eigen::Vector3d& pointColor() const { return m_pointColor; }
    void setPointColor(const Eigen::Vector3d& rgb) { m_pointColor = rgb; }

private:
    std::shared_ptr<PointsOnData> m_sharedPoints;
    PointsOnData* m_points;
    Eigen::Vector3d m_pointColor = Eigen::Vector3d::Ones();
};

}  // namespace Tesselon
