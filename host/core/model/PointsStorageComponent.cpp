#include "host/core/model/PointsStorageComponent.h"

#include <cxxabi.h>

#include <cstdlib>

namespace Tesselon {

namespace {

std::string readableTypeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}

}  // namespace

std::shared_ptr<PointsOnData> PointsStorageComponent::pointSet(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_records.find(name);
    return found == m_records.end() ? nullptr : found->second.points;
}

void PointsStorageComponent::setSavedConfiguration(const std::string& name, const Properties& configuration)
{
    std::lock_guard lock(m_mutex);
    m_records[name].savedConfiguration = std::make_unique<Properties>(configuration);
}

std::optional<Properties> PointsStorageComponent::savedConfiguration(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_records.find(name);
    if (found == m_records.end() || !found->second.savedConfiguration)
        return std::nullopt;
    return *found->second.savedConfiguration;
}

bool PointsStorageComponent::remove(const std::string& name)
{
    std::shared_ptr<PointsOnData> released;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_records.find(name);
        if (found == m_records.end())
            return false;
        // The set may die with its record; its destructor must not run under the lock.
        released = std::move(found->second.points);
        m_records.erase(found);
    }
    return true;
}

std::vector<std::string> PointsStorageComponent::names() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> result;
    for (const auto& [name, record] : m_records)
        result.push_back(name);
    return result;
}

std::shared_ptr<PointsOnData> PointsStorageComponent::insertUnlessPresent(
    const std::string& name, std::shared_ptr<PointsOnData> created)
{
    std::shared_ptr<PointsOnData> inForce;
    {
        std::lock_guard lock(m_mutex);
        PointConfiguration& record = m_records[name];
        if (!record.points)
            record.points = std::move(created);
        inForce = record.points;
    }
    // A set that lost the race dies here, unlocked.
    created.reset();
    return inForce;
}

void PointsStorageComponent::reportWrongType(const std::string& name, const std::type_info& wanted)
{
    Log::error("PointsStorageComponent", "Point set with name '" + name +
                                             "' already exists, but is not of type '" +
                                             readableTypeName(wanted) + "'");
}

}  // namespace Tesselon
