#pragma once

#include "host/core/model/DataComponent.h"

#include <memory>
#include <mutex>
#include <typeinfo>
#include <vector>

namespace Tesselon {

/// The components of one data object, at most one per exact type. Stream threads read components
/// (for example calibrations) while the GUI thread adds them, so the list is guarded; components
/// live as long as the list unless removed.
class DataComponentList
{
public:
    /// The component whose dynamic type is exactly T, or null.
    template <class T>
    T* get() const
    {
        return static_cast<T*>(find(typeid(T)));
    }

    /// The component of exact type T, created (default-constructed) when missing.
    template <class T>
    T& getOrCreate()
    {
        std::lock_guard lock(m_mutex);
        if (DataComponent* existing = findLocked(typeid(T)))
            return static_cast<T&>(*existing);
        m_components.push_back(std::make_unique<T>());
        return static_cast<T&>(*m_components.back());
    }

    /// Adds a component, replacing one of the same exact type; returns the added component.
    DataComponent* add(std::unique_ptr<DataComponent> component);

    /// Removes the component of exact type T; true if there was one.
    template <class T>
    bool remove()
    {
        return removeType(typeid(T));
    }

    std::vector<DataComponent*> all() const;

private:
    DataComponent* find(const std::type_info& type) const;
    DataComponent* findLocked(const std::type_info& type) const;
    bool removeType(const std::type_info& type);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<DataComponent>> m_components;
};

}  // namespace Tesselon
