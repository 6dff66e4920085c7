#pragma once

#include "host/core/base/Signal.h"
#include "host/core/model/DataComponentList.h"

#include <Eigen/Core>

#include <mutex>
#include <string>

namespace Tesselon {

/// Base of every object in the host's data model: streams, recordings, images, meshes, point sets.
/// Its pose may be read on stream threads while the GUI thread sets it, so it is guarded.
class Data
{
public:
    /// Data kinds; filters such as `DataList::getImages` take `Unknown` (0) as "any kind".
    enum Kind
    {
        Unknown = 0,
        Image = 1,
        Volume = 2,
        Mesh = 3,
        PointSet = 4,
        Annotation = 5,
        TrackingSequence = 6,
        Stream = 8,
        TrackingStream = 9,
    };

    explicit Data(std::string name = {});
    virtual ~Data();
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;

    virtual Kind kind() const = 0;

    std::string name() const;
    void setName(std::string name);

    /// The data's pose: maps data coordinates into world coordinates (identity by default).
    Eigen::Matrix4d matrix() const;
    /// Emits `matrixChanged` on the calling thread when the pose changes.
    void setMatrix(const Eigen::Matrix4d& dataToWorld);
    /// The pose before and after a change. Mutable: watching data does not change it.
    mutable Signal<Eigen::Matrix4d, Eigen::Matrix4d> matrixChanged;

    DataComponentList& components() { return m_components; }
    const DataComponentList& components() const { return m_components; }

private:
    mutable std::mutex m_mutex;
    std::string m_name;
    Eigen::Matrix4d m_dataToWorld = Eigen::Matrix4d::Identity();
    DataComponentList m_components;
};

}  // namespace Tesselon
