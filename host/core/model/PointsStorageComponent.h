#pragma once

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/model/DataComponent.h"
#include "host/core/model/PointsOnData.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

namespace Tesselon {

/// The named point sets of one data object: each name maps to a record of a saved configuration (from a
/// loaded workspace, applied when the set is created) and the live point set, either of which may be
/// absent. The component keeps one holder of each live set, so a set lives as long as the data's component
/// list. Locked: the GUI thread and stream threads look sets up.
class PointsStorageComponent : public DataComponent
{
public:
    std::string id() const override { return "PointsStorageComponent"; }

    /// The point set of this name as a T, created as T(data) when there is none and configured from the
    /// saved configuration if the record holds one. A name taken by a set that is not a T is logged
    /// (error, category "PointsStorageComponent") and gives null; the stored set stays.
    template <class T, class DataT>
    std::shared_ptr<T> getOrCreate(DataT& data, const std::string& name);

    /// The live set of this name, or null.
    std::shared_ptr<PointsOnData> pointSet(const std::string& name) const;
    /// Stores the configuration the set of this name gets when it is created; a live set is not changed.
    void setSavedConfiguration(const std::string& name, const Properties& configuration);
    std::optional<Properties> savedConfiguration(const std::string& name) const;
    /// Forgets the record of this name; holders of its set keep it. True if there was one.
    bool remove(const std::string& name);
    /// The names of every record, sorted.
    std::vector<std::string> names() const;

private:
    struct PointConfiguration
    {
        std::unique_ptr<Properties> savedConfiguration;
        std::shared_ptr<PointsOnData> points;
    };

    /// Stores `created` under the name unless another thread got there first; returns the set in force.
    std::shared_ptr<PointsOnData> insertUnlessPresent(const std::string& name,
                                                      std::shared_ptr<PointsOnData> created);
    static void reportWrongType(const std::string& name, const std::type_info& wanted);

    mutable std::mutex m_mutex;
    std::map<std::string, PointConfiguration> m_records;
};

template <class T, class DataT>
std::shared_ptr<T> PointsStorageComponent::getOrCreate(DataT& data, const std::string& name)
{
    std::shared_ptr<PointsOnData> existing = pointSet(name);
    if (!existing) {
        // Created and configured unlocked: the set's constructor and the slots of its notifications may
        // come back to this component.
        auto created = std::make_shared<T>(data);
        if (const auto saved = savedConfiguration(name))
            created->configure(&*saved);
        existing = insertUnlessPresent(name, std::move(created));
    }
    auto typed = std::dynamic_pointer_cast<T>(existing);
    if (!typed)
        reportWrongType(name, typeid(T));
    return typed;
}

}  // namespace Tesselon
