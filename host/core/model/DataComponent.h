#pragma once

#include <string>

namespace Tesselon {

/// Extra state attached to a data object (calibrations, point sets, display options), found by its
/// exact type in the object's `DataComponentList`.
class DataComponent
{
public:
    virtual ~DataComponent() = default;
    /// A stable name of the component kind, used in files and messages.
    virtual std::string id() const = 0;
};

}  // namespace Tesselon
