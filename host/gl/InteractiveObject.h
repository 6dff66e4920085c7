#pragma once

#include "host/core/base/Signal.h"

namespace Tesselon {

class GlManipulator;
class GlObject;

/// A display object together with the manipulator that lets the user edit it: the unit the annotation
/// model and the panels hand around. It says when it is about to be deleted, so that whoever shares data
/// with the object (for example the mesh of a `GlMesh`) can release it.
class InteractiveObject
{
public:
    /// With `ownsBoth` the object and the manipulator are deleted with this; otherwise their creator keeps
    /// them. The manipulator may be null.
    InteractiveObject(GlObject* object, GlManipulator* manipulator, bool ownsBoth);
    ~InteractiveObject();
    InteractiveObject(const InteractiveObject&) = delete;
    InteractiveObject& operator=(const InteractiveObject&) = delete;

    GlObject* object() const { return m_object; }
    GlManipulator* manipulator() const { return m_manipulator; }
    bool ownsBoth() const { return m_ownsBoth; }

    /// Emitted first in the destructor, while object and manipulator still exist.
    Signal<InteractiveObject*> aboutToBeDeleted;

private:
    GlObject* m_object;
    GlManipulator* m_manipulator;
    bool m_ownsBoth;
};

}  // namespace Tesselon
