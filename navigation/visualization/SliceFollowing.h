#pragma once

#include <Eigen/Core>

#include <array>

namespace Tesselon {

/// Where the three slice views go when they follow a tracked tool: along the tool with or without its
/// rotation, optionally with the tool axis nearest to each view's axis, optionally only along each view's
/// normal. Plain geometry for the tool visualization panel; no widgets, no views.
class SliceFollowing
{
public:
    struct Options
    {
        /// The views turn with the tool; otherwise they keep their orientation and only move.
        bool withRotation = true;
        /// With rotation: each view takes the tool axis closest to its own instead of a fixed one.
        bool snapToClosestAxis = false;
        /// The views move only along their current normal, never within their plane.
        bool ignoreInPlaneTranslation = false;
    };

    /// A permutation of the axes (0, 1, 2): tool axis `p[k]` takes the role of world axis k.
    using Permutation = std::array<int, 3>;

    explicit SliceFollowing(Options options) : m_options(options) {}

    /// The new viewToWorld of slice view `view` (0 axial, 1 coronal, 2 sagittal) for the tool at
    /// `toolToWorld`, the view now being at `viewToWorld`.
    Eigen::Matrix4d viewMatrix(int view, const Eigen::Matrix4d& toolToWorld,
                               const Eigen::Matrix4d& viewToWorld) const;

    /// The permutation whose tool axes lie closest to the world axes (largest sum of |R(k, p[k])|); among
    /// equals the first in lexicographic order, so an aligned tool keeps the identity.
    static Permutation closestAxisPermutation(const Eigen::Matrix4d& toolToWorld);
    /// The matrix that puts tool axis p[k] in column k, negated when the permutation is odd so that it
    /// stays a proper rotation.
    static Eigen::Matrix4d permutationRotation(const Permutation& permutation);
    /// viewToTool of each view while it turns with the tool.
    static Eigen::Matrix4d baseOrientation(int view, const Eigen::Matrix4d& toolToWorld,
                                           bool snapToClosestAxis);

private:
    Options m_options;
};

}  // namespace Tesselon
