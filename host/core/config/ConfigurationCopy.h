#pragma once

#include "host/core/config/Configurable.h"

#include <memory>
#include <vector>

namespace Tesselon {

/// An editable copy of another object's configuration: one parameter per entry of its `Properties`,
/// holding the value as text with the entry's type and attributes. A panel edits the copy on the GUI
/// thread and hands it back through the owner's `configure`, so the owner applies it under its own lock
/// and by its own rules, while its parameters are never written from the GUI thread.
class ConfigurationCopy : public Configurable
{
public:
    ConfigurationCopy();
    ~ConfigurationCopy() override;

    /// Makes the parameters anew from the entries of `configuration`, in order; labels are taken from
    /// `labels`' parameters of the same names when given.
    void rebuild(const Properties& configuration, const Configurable* labels = nullptr);
    /// Whether `configuration` has exactly these parameters, in this order, with the same types and
    /// attributes, so that `configure` suffices to show it and editors need not be made anew.
    bool hasShapeOf(const Properties& configuration) const;

private:
    std::vector<std::unique_ptr<ParameterBase>> m_copies;
};

}  // namespace Tesselon
