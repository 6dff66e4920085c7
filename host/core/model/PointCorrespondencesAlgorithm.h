#pragma once

#include "host/core/model/Data.h"
#include "host/core/model/PointsOnData.h"
#include "host/core/model/PointsOnDataManipulator.h"
#include "host/core/model/PointsStorageComponent.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tesselon {

/// The registry of point-set kinds behind the host's point-correspondence tools: which data objects can hold
/// point sets, how to get a named set of a data object, and how to make a manipulator for a set. Plug-ins
/// register their kinds through `registerPointsOnData`, tagged with an owner so that they can withdraw them
/// before their code is unloaded. The lists are process-wide and guarded by one mutex; factories and checks
/// run unlocked, so they may look sets up or register in turn.
class PointCorrespondencesAlgorithm
{
public:
    using CompatibilityCheck = std::function<bool(Data*)>;
    using PointsOnDataFactory = std::function<std::shared_ptr<PointsOnData>(Data*, const std::string&)>;
    using ManipulatorFactory =
        std::function<std::unique_ptr<PointsOnDataManipulator>(std::shared_ptr<PointsOnData>)>;

    /// A copy of the compatibility checks, in registration order.
    static std::vector<CompatibilityCheck> getCompatibilityChecks();

    static void addCompatibilityCheck(CompatibilityCheck check, const void* owner = nullptr);
    /// Factories are tried by descending priority, those of equal priority in registration order.
    static void addPointsOnDataFactory(int priority, PointsOnDataFactory factory,
                                       const void* owner = nullptr);
    static void addManipulatorFactory(int priority, ManipulatorFactory factory, const void* owner = nullptr);
    /// Withdraws every check and factory registered with this owner.
    static void removeRegistrations(const void* owner);

    /// Registers the point sets PointsT of data objects DataT, edited with ManipulatorT: a check accepting
    /// DataT, a factory giving the DataT's PointsT of a name from its `PointsStorageComponent` (created when
    /// missing), and a factory making a ManipulatorT(std::shared_ptr<PointsT>) for a PointsT whose data is a
    /// DataT.
    template <class DataT, class PointsT, class ManipulatorT>
    static void registerPointsOnData(int priority, const void* owner = nullptr);

    /// Whether any check accepts the data object.
    static bool isCompatible(Data* data);
    /// The first non-null set a factory gives for the data object and name, or null.
    static std::shared_ptr<PointsOnData> pointsOnDataFor(Data* data, const std::string& name);
    /// The first manipulator a factory makes for the set, or null.
    static std::unique_ptr<PointsOnDataManipulator> manipulatorFor(
        const std::shared_ptr<PointsOnData>& points);

    /// Forgets every registration; for tests.
    static void clearRegistrations();
};

template <class DataT, class PointsT, class ManipulatorT>
void PointCorrespondencesAlgorithm::registerPointsOnData(int priority, const void* owner)
{
    addCompatibilityCheck([](Data* data) { return dynamic_cast<DataT*>(data) != nullptr; }, owner);
    addPointsOnDataFactory(
        priority,
        [](Data* data, const std::string& name) -> std::shared_ptr<PointsOnData> {
            auto* typed = dynamic_cast<DataT*>(data);
            if (!typed)
                return nullptr;
            auto& storage = typed->components().template getOrCreate<PointsStorageComponent>();
            return storage.template getOrCreate<PointsT>(*typed, name);
        },
        owner);
    addManipulatorFactory(
        priority,
        [](std::shared_ptr<PointsOnData> points) -> std::unique_ptr<PointsOnDataManipulator> {
            if (!points || !dynamic_cast<DataT*>(points->data()))
                return nullptr;
            auto typed = std::dynamic_pointer_cast<PointsT>(points);
            if (!typed)
                return nullptr;
            return std::make_unique<ManipulatorT>(std::move(typed));
        },
        owner);
}

}  // namespace Tesselon
