#pragma once

#include "host/core/base/Signal.h"
#include "host/core/base/SignalReceiver.h"
#include "host/gl/InteractiveObject.h"

#include <Eigen/Core>

#include <memory>
#include <set>
#include <vector>

namespace Tesselon {

class Data;
class GlManipulator;
class GlObject;

/// The annotations of the workspace (lines, splines, meshes placed by panels), each an
/// `InteractiveObject` owned by the model and optionally attached to the data set it was drawn on. An
/// attached annotation moves with its data set: a plan drawn on an image stays on the anatomy when a
/// registration moves the image. Lives on the GUI thread, as do the poses of the data sets annotated.
class AnnotationModel
{
public:
    AnnotationModel() = default;
    /// Deletes the remaining annotations without announcing their removal.
    ~AnnotationModel();
    AnnotationModel(const AnnotationModel&) = delete;
    AnnotationModel& operator=(const AnnotationModel&) = delete;

    /// Takes the annotation, attached to `parent` (not owned; null for a top-level annotation), and emits
    /// `annotationAdded`. Returns it; null input is logged and gives null. Remove a data set's annotations
    /// before the data set goes.
    InteractiveObject* add(std::unique_ptr<InteractiveObject> annotation, const Data* parent = nullptr);
    /// Emits `annotationAboutToBeRemoved`, then takes the annotation out: with `deleteIt` it is deleted and
    /// null returned, otherwise ownership goes back to the caller. Unknown annotations give null.
    std::unique_ptr<InteractiveObject> remove(InteractiveObject* annotation, bool deleteIt);

    /// Every annotation, in the order added.
    std::vector<InteractiveObject*> getAnnotations() const;
    /// The annotations attached to `parent`, in the order added.
    std::vector<InteractiveObject*> getAnnotations(const Data* parent) const;
    bool contains(const InteractiveObject* annotation) const;
    /// The data set the annotation is attached to; null for top-level or unknown annotations.
    const Data* parent(const InteractiveObject* annotation) const;

    /// The manipulator that suits the object: point editing for point-based annotations, moving the whole
    /// object otherwise. Null object: logged, null.
    static std::unique_ptr<GlManipulator> createDefaultManipulator(GlObject* object);

    Signal<InteractiveObject*> annotationAdded;
    /// Emitted while the annotation is still in the model.
    Signal<InteractiveObject*> annotationAboutToBeRemoved;

private:
    struct Entry
    {
        std::unique_ptr<InteractiveObject> annotation;
        const Data* parent = nullptr;
        bool removing = false;
    };

    std::vector<Entry>::iterator find(const InteractiveObject* annotation);
    std::vector<Entry>::const_iterator find(const InteractiveObject* annotation) const;

    void follow(const Data* parent);
    /// Moves the annotations attached to `parent` by `motion` (world to world).
    void moveWith(const Data* parent, const Eigen::Matrix4d& motion);

    std::vector<Entry> m_entries;
    std::set<const Data*> m_followed;
    SignalReceiver m_receiver;
};

}  // namespace Tesselon
