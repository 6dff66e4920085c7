#include "host/gl/InteractiveObject.h"

#include "host/gl/GlManipulator.h"
#include "host/gl/GlObject.h"

namespace Tesselon {

InteractiveObject::InteractiveObject(GlObject* object, GlManipulator* manipulator, bool ownsBoth)
    : m_object(object), m_manipulator(manipulator), m_ownsBoth(ownsBoth)
{
}

InteractiveObject::~InteractiveObject()
{
    aboutToBeDeleted.emitSignal(this);
    if (!m_ownsBoth)
        return;
    // The manipulator refers to the object, so it goes first.
    delete m_manipulator;
    delete m_object;
}

}  // namespace Tesselon
