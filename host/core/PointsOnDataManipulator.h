#pragma once

#include "host/core/PointsOnData.h"

#include <memory>

namespace Tesselon {

/// The non-GUI part of a tool that edits a point set: it shares the set and offers hooks for capturing new
/// points from a live source, which do nothing here.
class PointsOnDataManipulator
{
public:
    /// Throws std::invalid_argument when `points` is null.
    explicit PointsOnDataManipulator(std::shared_ptr<PointsOnData> points);
    virtual ~PointsOnDataManipulator();
    PointsOnDataManipulator(const PointsOnDataManipulator&) = delete;
    PointsOnDataManipulator& operator=(const PointsOnDataManipulator&) = delete;

    const std::shared_ptr<PointsOnData>& points() const { return m_points; }

    /// Begins capturing a point from the live source, if there is one.
    virtual void startCapture() {}
    /// Abandons a pending capture.
    virtual void stopCapture() {}
    virtual bool isCapturing() const { return false; }

private:
    std::shared_ptr<PointsOnData> m_points;
};

}  // namespace Tesselon
