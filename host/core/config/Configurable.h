#pragma once

#include "host/core/config/ParameterBase.h"
#include "host/core/config/Properties.h"

#include <string_view>
#include <vector>

namespace Tesselon {

/// An object configured through `Properties`: its registered parameters are read, written and reset
/// together, in registration order. Usually the parameters are members of the subclass and register
/// themselves by naming it as owner. Not locked: subclasses that share themselves across threads lock.
class Configurable
{
public:
    Configurable() = default;
    /// Detaches parameters that are still registered, so their later destruction leaves this alone.
    virtual ~Configurable();
    Configurable(const Configurable&) = delete;
    Configurable& operator=(const Configurable&) = delete;

    /// Appends the parameter, taking it from its previous owner; registering twice is a no-op.
    void registerParameter(ParameterBase* parameter);
    void unregisterParameter(ParameterBase* parameter);
    const std::vector<ParameterBase*>& parameters() const { return m_parameters; }
    /// The first registered parameter with this name, or null.
    ParameterBase* parameter(std::string_view name) const;

    /// Reads every registered parameter present in `properties`; null does nothing.
    virtual void configure(const Properties* properties);
    /// Writes every registered parameter in registration order; null does nothing.
    virtual void configuration(Properties* properties) const;
    /// Resets every registered parameter to its default.
    virtual void configureDefaults();

private:
    std::vector<ParameterBase*> m_parameters;
};

}  // namespace Tesselon
