#include "host/gl/ApplicationController.h"

#include "host/gl/GlObject.h"

namespace Tesselon {

ApplicationController::ApplicationController()
{
    m_annotations.annotationAdded.connect(this, &ApplicationController::showAnnotation);
    m_annotations.annotationAboutToBeRemoved.connect(this, &ApplicationController::hideAnnotation);
}

ApplicationController::~ApplicationController()
{
    disconnectAll();
    for (InteractiveObject* annotation : m_annotations.getAnnotations())
        hideAnnotation(annotation);
}

void ApplicationController::ignoreAnnotationInHistory(const GlObject* object)
{
    m_ignoredInHistory.insert(object);
}

bool ApplicationController::isIgnoredInHistory(const GlObject* object) const
{
    return m_ignoredInHistory.contains(object);
}

void ApplicationController::showAnnotation(InteractiveObject* annotation)
{
    m_display.viewGroup()->addObject(annotation->object());
    m_display.update();
}

void ApplicationController::hideAnnotation(InteractiveObject* annotation)
{
    m_display.viewGroup()->removeObject(annotation->object());
    m_ignoredInHistory.erase(annotation->object());
    m_display.update();
}

}  // namespace Tesselon
