#pragma once

#include <vector>

namespace Tesselon {

class GlObject;
class GlView;

/// Views that show the same objects, e.g. the three slice views and the 3D view of a display widget.
/// Adding an object to the group adds it to every view currently in the group. Views are not owned.
class ViewGroup
{
public:
    /// Adds a view; null or a view already in the group is ignored.
    void addView(GlView* view);
    void removeView(GlView* view);
    const std::vector<GlView*>& views() const { return m_views; }

    /// Shows the object in every view of the group.
    void addObject(GlObject* object);
    /// Removes the object from every view of the group.
    void removeObject(GlObject* object);

private:
    std::vector<GlView*> m_views;
};

}  // namespace Tesselon
