#include "host/core/model/DataComponentList.h"

#include <algorithm>

namespace Tesselon {

DataComponent* DataComponentList::add(std::unique_ptr<DataComponent> component)
{
    std::lock_guard lock(m_mutex);
    const std::type_info& type = typeid(*component);
    std::erase_if(m_components, [&](const auto& existing) { return typeid(*existing) == type; });
    m_components.push_back(std::move(component));
    return m_components.back().get();
}

std::vector<DataComponent*> DataComponentList::all() const
{
    std::lock_guard lock(m_mutex);
    std::vector<DataComponent*> components;
    for (const auto& component : m_components)
        components.push_back(component.get());
    return components;
}

DataComponent* DataComponentList::find(const std::type_info& type) const
{
    std::lock_guard lock(m_mutex);
    return findLocked(type);
}

DataComponent* DataComponentList::findLocked(const std::type_info& type) const
{
    const auto found = std::find_if(m_components.begin(), m_components.end(),
                                    [&](const auto& component) { return typeid(*component) == type; });
    return found == m_components.end() ? nullptr : found->get();
}

bool DataComponentList::removeType(const std::type_info& type)
{
    std::lock_guard lock(m_mutex);
    return std::erase_if(m_components, [&](const auto& component) { return typeid(*component) == type; }) > 0;
}

}  // namespace Tesselon
