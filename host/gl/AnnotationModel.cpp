#include "host/gl/AnnotationModel.h"

#include "host/core/base/Log.h"
#include "host/core/model/Data.h"
#include "host/gl/GlManipulator.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/gl/PointBasedAnnotationManipulator.h"

#include <Eigen/Geometry>
#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <utility>

namespace Tesselon {

namespace {

constexpr const char* category = "AnnotationModel";

}  // namespace

AnnotationModel::~AnnotationModel()
{
    // Deletion notifications may call back into the model; let them find it empty.
    std::vector<Entry> entries = std::move(m_entries);
    m_entries.clear();
    entries.clear();
}

InteractiveObject* AnnotationModel::add(std::unique_ptr<InteractiveObject> annotation, const Data* parent)
{
    if (!annotation) {
        Log::error(category, "Cannot add a null annotation.");
        return nullptr;
    }
    InteractiveObject* added = annotation.get();
    m_entries.push_back({std::move(annotation), parent});
    if (parent)
        follow(parent);
    annotationAdded.emitSignal(added);
    return added;
}

void AnnotationModel::follow(const Data* parent)
{
    if (!m_followed.insert(parent).second)
        return;
    parent->matrixChanged.connect(
        &m_receiver, [this, parent](const Eigen::Matrix4d& before, const Eigen::Matrix4d& after) {
            const auto invertible = [](const Eigen::Matrix4d& pose) {
                return pose.allFinite() && std::abs(pose.topLeftCorner<3, 3>().determinant()) > 1e-12;
            };
            if (invertible(before) && invertible(after))
                moveWith(parent, after * before.inverse());
            else
                Log::error(category, "Annotations keep their place: the pose of \"" + parent->name() +
                                         "\" changed from or to one that cannot be inverted.");
        });
}

void AnnotationModel::moveWith(const Data* parent, const Eigen::Matrix4d& motion)
{
    for (const Entry& entry : m_entries) {
        if (entry.parent != parent)
            continue;
        GlObject* object = entry.annotation->object();
        if (auto* annotation = dynamic_cast<GlPointBasedAnnotation*>(object)) {
            std::vector<Eigen::Vector3d> points = annotation->points();
            for (Eigen::Vector3d& point : points)
                point = (motion * point.homogeneous()).head<3>();
            annotation->setPoints(points);
        } else if (object) {
            object->setMatrix(motion * object->matrix());
        }
    }
}

std::unique_ptr<InteractiveObject> AnnotationModel::remove(InteractiveObject* annotation, bool deleteIt)
{
    auto entry = find(annotation);
    // A receiver of the removal notice removing the same annotation again must not recurse.
    if (entry == m_entries.end() || entry->removing)
        return nullptr;
    entry->removing = true;
    annotationAboutToBeRemoved.emitSignal(annotation);
    entry = find(annotation);  // receivers may have added annotations meanwhile
    std::unique_ptr<InteractiveObject> removed = std::move(entry->annotation);
    const Data* parent = entry->parent;
    m_entries.erase(entry);
    if (parent && getAnnotations(parent).empty()) {
        parent->matrixChanged.disconnect(&m_receiver);
        m_followed.erase(parent);
    }
    if (deleteIt)
        removed.reset();
    return removed;
}

std::vector<InteractiveObject*> AnnotationModel::getAnnotations() const
{
    std::vector<InteractiveObject*> result;
    for (const Entry& entry : m_entries)
        result.push_back(entry.annotation.get());
    return result;
}

std::vector<InteractiveObject*> AnnotationModel::getAnnotations(const Data* parent) const
{
    std::vector<InteractiveObject*> result;
    for (const Entry& entry : m_entries) {
        if (entry.parent == parent)
            result.push_back(entry.annotation.get());
    }
    return result;
}

bool AnnotationModel::contains(const InteractiveObject* annotation) const
{
    return find(annotation) != m_entries.end();
}

const Data* AnnotationModel::parent(const InteractiveObject* annotation) const
{
    const auto entry = find(annotation);
    return entry == m_entries.end() ? nullptr : entry->parent;
}

std::unique_ptr<GlManipulator> AnnotationModel::createDefaultManipulator(GlObject* object)
{
    if (!object) {
        Log::error(category, "Cannot create a manipulator for a null display object.");
        return nullptr;
    }
    if (auto* annotation = dynamic_cast<GlPointBasedAnnotation*>(object))
        return std::make_unique<PointBasedAnnotationManipulator>(annotation);
    return std::make_unique<GlManipulator>(object);
}

std::vector<AnnotationModel::Entry>::iterator AnnotationModel::find(const InteractiveObject* annotation)
{
    return m_entries.begin() + (std::as_const(*this).find(annotation) - m_entries.cbegin());
}

std::vector<AnnotationModel::Entry>::const_iterator AnnotationModel::find(
    const InteractiveObject* annotation) const
{
    return std::find_if(m_entries.begin(), m_entries.end(),
                        [annotation](const Entry& entry) { return entry.annotation.get() == annotation; });
}

}  // namespace Tesselon
