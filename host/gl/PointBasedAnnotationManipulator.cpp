#include "host/gl/PointBasedAnnotationManipulator.h"

#include "host/gl/GlPointBasedAnnotation.h"

#include <Eigen/Geometry>
#include <Eigen/LU>

namespace Tesselon {

PointBasedAnnotationManipulator::PointBasedAnnotationManipulator(GlPointBasedAnnotation* annotation)
    : GlManipulator(annotation), m_annotation(annotation)
{
}

void PointBasedAnnotationManipulator::movePoint(int index, const Eigen::Vector3d& positionInWorld)
{
    if (m_annotation)
        m_annotation->setPoint(index, toObject(positionInWorld));
}

void PointBasedAnnotationManipulator::appendPoint(const Eigen::Vector3d& positionInWorld)
{
    if (m_annotation)
        m_annotation->addPoint(toObject(positionInWorld));
}

Eigen::Vector3d PointBasedAnnotationManipulator::toObject(const Eigen::Vector3d& positionInWorld) const
{
    const Eigen::Matrix4d worldToObject = m_annotation->matrix().inverse();
    return (worldToObject * positionInWorld.homogeneous()).head<3>();
}

}  // namespace Tesselon
