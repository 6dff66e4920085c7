#include "host/gl/GlManipulator.h"

#include "host/core/base/Log.h"
#include "host/gl/GlObject.h"

namespace Tesselon {

GlManipulator::GlManipulator(GlObject* object) : m_object(object) {}

GlManipulator::~GlManipulator() = default;

void GlManipulator::translate(const Eigen::Vector3d& delta)
{
    if (!m_object)
        return;
    if (!delta.allFinite()) {
        Log::error("GlManipulator", "Ignoring a non-finite translation.");
        return;
    }
    Eigen::Matrix4d objectToWorld = m_object->matrix();
    objectToWorld.block<3, 1>(0, 3) += delta;
    m_object->setMatrix(objectToWorld);
}

}  // namespace Tesselon
