#pragma once

#include "host/core/model/PointsOnDataManipulator.h"
#include "host/core/model/PointsOnImage.h"

namespace Tesselon {

/// Places points on an image by clicking in its views and moves them by dragging. With
/// `placeOnEveryClick` each click in a view adds a point; without it a click adds one only after
/// `startPointCreation` asked for it, so that clicks keep their other uses in the views.
class PointsOnImageManipulator : public PointsOnDataManipulator
{
public:
    /// The set must outlive the manipulator.
    PointsOnImageManipulator(PointsOnImage& points, bool placeOnEveryClick);

    PointsOnImage& points() const { return m_points; }

    void startPointCreation() override { m_creating = true; }
    void cancelPointCreation() override { m_creating = false; }
    bool isCreatingPoint() const override { return m_creating || m_placeOnEveryClick; }
    bool placesPointsByClick() const override { return true; }
    /// Appends the point when one was asked for (or always, see the constructor); otherwise ignores it.
    void onCreatePointInteraction(const Eigen::Vector3d& worldPoint) override;
    void onMovePointInteraction(int index, const Eigen::Vector3d& point) override;

private:
    PointsOnImage& m_points;
    bool m_placeOnEveryClick;
    bool m_creating = false;
};

}  // namespace Tesselon
