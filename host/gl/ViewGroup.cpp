#include "host/gl/ViewGroup.h"

#include "host/gl/GlView.h"

#include <algorithm>

namespace Tesselon {

void ViewGroup::addView(GlView* view)
{
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void ViewGroup::removeView(GlView* view)
{
    std::erase(m_views, view);
}

void ViewGroup::addObject(GlObject* object)
{
    for (GlView* view : m_views)
        view->addObject(object);
}

void ViewGroup::removeObject(GlObject* object)
{
    for (GlView* view : m_views)
        view->removeObject(object);
}

}  // namespace Tesselon
