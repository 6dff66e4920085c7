#include "host/core/PointCorrespondencesAlgorithm.h"

#include <algorithm>

namespace Tesselon {

namespace {

template <class Factory>
struct Prioritised
{
    int priority;
    Factory factory;
};

struct Registry
{
    std::mutex mutex;
    std::vector<PointCorrespondencesAlgorithm::CompatibilityCheck> checks;
    std::vector<Prioritised<PointCorrespondencesAlgorithm::PointsOnDataFactory>> pointsFactories;
    std::vector<Prioritised<PointCorrespondencesAlgorithm::ManipulatorFactory>> manipulatorFactories;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

template <class Factory>
void insertByPriority(std::vector<Prioritised<Factory>>& list, int priority, Factory factory)
{
    const auto position = std::find_if(list.begin(), list.end(),
                                       [priority](const auto& entry) { return entry.priority < priority; });
    list.insert(position, {priority, std::move(factory)});
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

std::vector<PointCorrespondencesAlgorithm::CompatibilityCheck>&
PointCorrespondencesAlgorithm::getCompatibilityChecks()
{
    return registry().checks;
}

std::unique_lock<std::mutex> PointCorrespondencesAlgorithm::registryLock()
{
    return std::unique_lock(registry().mutex);
}

void PointCorrespondencesAlgorithm::addCompatibilityCheck(CompatibilityCheck check)
{
    std::lock_guard lock(registry().mutex);
    registry().checks.push_back(std::move(check));
}

void PointCorrespondencesAlgorithm::addPointsOnDataFactory(int priority, PointsOnDataFactory factory)
{
    std::lock_guard lock(registry().mutex);
    insertByPriority(registry().pointsFactories, priority, std::move(factory));
}

void PointCorrespondencesAlgorithm::addManipulatorFactory(int priority, ManipulatorFactory factory)
{
    std::lock_guard lock(registry().mutex);
    insertByPriority(registry().manipulatorFactories, priority, std::move(factory));
}

bool PointCorrespondencesAlgorithm::isCompatible(Data* data)
{
    std::vector<CompatibilityCheck> checks;
    {
        std::lock_guard lock(registry().mutex);
        checks = registry().checks;
    }
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
