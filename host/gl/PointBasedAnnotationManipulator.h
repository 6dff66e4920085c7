#pragma once

#include "host/gl/GlManipulator.h"

namespace Tesselon {

class GlPointBasedAnnotation;

/// Edits the points of a line, spline or point annotation: the user drags, inserts and deletes points.
class PointBasedAnnotationManipulator : public GlManipulator
{
public:
    explicit PointBasedAnnotationManipulator(GlPointBasedAnnotation* annotation);

    GlPointBasedAnnotation* annotation() const { return m_annotation; }

    /// Moves point `index` to a world position; bad indices and non-finite positions are logged.
    void movePoint(int index, const Eigen::Vector3d& positionInWorld);
    /// Appends a point at a world position.
    void appendPoint(const Eigen::Vector3d& positionInWorld);

private:
    /// The position in the annotation's object coordinates.
    Eigen::Vector3d toObject(const Eigen::Vector3d& positionInWorld) const;

    GlPointBasedAnnotation* m_annotation;
};

}  // namespace Tesselon
