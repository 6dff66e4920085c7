#pragma once

#include "host/core/model/PointsOnData.h"

#include <vector>

namespace Tesselon {

/// Points marked on an image (or any other data object), stored in world coordinates. Each point also
/// remembers which image of the data's image set it was marked on (0 for a single image).
///
/// Per-point configuration: "Point" (3-vector, world mm), "Name" (text) and "Image" (integer, the image
/// index). A block without a valid "Point" adds nothing and is logged; "Name" and "Image" are optional.
class PointsOnImage : public PointsOnData
{
public:
    /// A set without a data object.
    PointsOnImage() = default;
    /// A set on `data`, which must outlive it; not owned.
    explicit PointsOnImage(Data& data) : m_data(&data) {}
    explicit PointsOnImage(Data* data) : m_data(data) {}

    const std::vector<Eigen::Vector3d>& allPoints() const override { return m_points; }
    Data* data() const override { return m_data; }
    void remove(int first, int last) override;

    /// Appends a point and emits `pointsAdded` (n - 1, n).
    void addPoint(const Eigen::Vector3d& worldPoint) { addImagePoint(worldPoint, 0); }
    /// Appends a point marked on image `imageIndex` of the data and emits `pointsAdded` (n - 1, n).
    void addImagePoint(const Eigen::Vector3d& worldPoint, int imageIndex);
    /// Appends the points and emits `pointsAdded` once for all of them.
    void addPoints(const std::vector<Eigen::Vector3d>& worldPoints);
    /// Replaces point i (name kept) and emits `pointsChanged` (i, i + 1); false (logged) when out of range.
    bool setPoint(int i, const Eigen::Vector3d& worldPoint);
    /// The image index of point i, or nothing (logged) when out of range.
    std::optional<int> imageIndex(int i) const;

    void configurePoint(int i, const Properties& block) override;
    void pointConfiguration(int i, Properties& block) const override;

private:
    Data* m_data = nullptr;
    std::vector<Eigen::Vector3d> m_points;
    std::vector<int> m_imageIndices;
};

}  // namespace Tesselon
