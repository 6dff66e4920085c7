#include "host/core/model/PointCorrespondencesAlgorithm.h"

#include <algorithm>

namespace Tesselon {

namespace {

template <class Factory>
struct Prioritised
{
    int priority;
    Factory factory;
    const void* owner;
};

struct Registry
{
    std::mutex mutex;
    std::vector<Prioritised<PointCorrespondencesAlgorithm::CompatibilityCheck>> checks;
    std::vector<Prioritised<PointCorrespondencesAlgorithm::PointsOnDataFactory>> pointsFactories;
    std::vector<Prioritised<PointCorrespondencesAlgorithm::ManipulatorFactory>> manipulatorFactories;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

template <class Factory>
void insertByPriority(std::vector<Prioritised<Factory>>& list, int priority, Factory factory,
                      const void* owner)
{
    const auto position = std::find_if(list.begin(), list.end(),
                                       [priority](const auto& entry) { return entry.priority < priority; });
    list.insert(position, {priority, std::move(factory), owner});
}

template <class Factory>
void removeOwnedBy(std::vector<Prioritised<Factory>>& list, const void* owner)
{
    std::erase_if(list, [owner](const auto& entry) { return entry.owner == owner; });
}

// Copied under the lock and called without it, so a factory may use the registry itself.
template <class Factory>
std::vector<Factory> snapshot(const std::vector<Prioritised<Factory>>& list)
{
    std::lock_guard lock(registry().mutex);
    std::vector<Factory> factories;
    for (const auto& entry : list)
        factories.push_back(entry.factory);
    return factories;
}

}  // namespace

std::vector<PointCorrespondencesAlgorithm::CompatibilityCheck>
PointCorrespondencesAlgorithm::getCompatibilityChecks()
{
    return snapshot(registry().checks);
}

void PointCorrespondencesAlgorithm::addCompatibilityCheck(CompatibilityCheck check, const void* owner)
{
    std::lock_guard lock(registry().mutex);
    registry().checks.push_back({0, std::move(check), owner});
}

void PointCorrespondencesAlgorithm::addPointsOnDataFactory(int priority, PointsOnDataFactory factory,
                                                           const void* owner)
{
    std::lock_guard lock(registry().mutex);
    insertByPriority(registry().pointsFactories, priority, std::move(factory), owner);
}

void PointCorrespondencesAlgorithm::addManipulatorFactory(int priority, ManipulatorFactory factory,
                                                          const void* owner)
{
    std::lock_guard lock(registry().mutex);
    insertByPriority(registry().manipulatorFactories, priority, std::move(factory), owner);
}

void PointCorrespondencesAlgorithm::removeRegistrations(const void* owner)
{
    std::lock_guard lock(registry().mutex);
    removeOwnedBy(registry().checks, owner);
    removeOwnedBy(registry().pointsFactories, owner);
    removeOwnedBy(registry().manipulatorFactories, owner);
}

bool PointCorrespondencesAlgorithm::isCompatible(Data* data)
{
    const auto checks = getCompatibilityChecks();
    return std::any_of(checks.begin(), checks.end(), [data](const auto& check) { return check(data); });
}

std::shared_ptr<PointsOnData> PointCorrespondencesAlgorithm::pointsOnDataFor(Data* data,
                                                                             const std::string& name)
{
    for (const auto& factory : snapshot(registry().pointsFactories))
        if (auto points = factory(data, name))
            return points;
    return nullptr;
}

std::unique_ptr<PointsOnDataManipulator> PointCorrespondencesAlgorithm::manipulatorFor(
    const std::shared_ptr<PointsOnData>& points)
{
    for (const auto& factory : snapshot(registry().manipulatorFactories))
        if (auto manipulator = factory(points))
            return manipulator;
    return nullptr;
}

void PointCorrespondencesAlgorithm::clearRegistrations()
{
    std::lock_guard lock(registry().mutex);
    registry().checks.clear();
    registry().pointsFactories.clear();
    registry().manipulatorFactories.clear();
}

}  // namespace Tesselon
