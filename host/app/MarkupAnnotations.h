#pragma once

#include "host/core/config/Properties.h"

#include <memory>
#include <string>
#include <vector>

namespace Tesselon {

class GlPointBasedAnnotation;

/// Turns what a user makes on a volume into display objects and back: the markups of a point list file,
/// and lines and curves drawn in the views, which a workspace keeps in its own configuration. The session
/// uses it for opening markups and for saving and restoring workspaces.
class MarkupAnnotations
{
public:
    /// One object per markup of the file, in its order: a Fiducial's points as a `GlPoint`, a Line's first
    /// two points as a `GlLine`, a Curve as a `GlSpline`, a ClosedCurve as a `GlSpline` through its points
    /// and back to the first. Each is named by its markup's "name", else after the file (and its position
    /// in it, from 1, when the file holds several). Throws `PointListFileError` naming the file when it
    /// cannot be read or a line or curve has fewer than two points; nothing is returned then.
    static std::vector<std::unique_ptr<GlPointBasedAnnotation>> read(const std::string& path);

    /// Gives a line or curve the colour of planned paths.
    static void setPathColour(GlPointBasedAnnotation& annotation);
    /// "Line" for a `GlLine`, "Curve" for a `GlSpline`, "Points" for the rest: the kind a drawn
    /// annotation's name and saved configuration give.
    static std::string kindOf(const GlPointBasedAnnotation& annotation);
    /// A drawn line or curve as a workspace keeps it: its kind, its name and its points.
    static Properties toConfiguration(const GlPointBasedAnnotation& annotation);
    /// Makes a drawn line or curve again; throws std::runtime_error when the configuration names no line or
    /// curve, has fewer than two points, or a point is not three finite numbers.
    static std::unique_ptr<GlPointBasedAnnotation> fromConfiguration(const Properties& configuration);
};

}  // namespace Tesselon
