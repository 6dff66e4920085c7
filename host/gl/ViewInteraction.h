#pragma once

#include <Eigen/Core>

namespace Tesselon {

class GlSliceView;

/// Something the user edits with the mouse in the slice views. The display offers each left press to the
/// interactions of its model, newest first; the one that takes it receives the drag and the release.
class ViewInteraction
{
public:
    virtual ~ViewInteraction() = default;

    /// A left press at `world`, a point on the view's plane. `tolerance` is how far (mm) something to grab
    /// may lie from it: a few pixels at the view's zoom. True takes the press.
    virtual bool press(const GlSliceView& view, const Eigen::Vector3d& world, double tolerance) = 0;
    /// The mouse moved with the button held to `world`, on the plane of the pressed view.
    virtual void drag(const Eigen::Vector3d&) {}
    virtual void release() {}
    /// A left double-click at `world`, whose first click came as a press already. True takes it.
    virtual bool doubleClick(const GlSliceView&, const Eigen::Vector3d&) { return false; }
};

}  // namespace Tesselon
