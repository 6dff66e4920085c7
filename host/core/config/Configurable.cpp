#include "host/core/config/Configurable.h"

#include <algorithm>

namespace Tesselon {

Configurable::~Configurable()
{
    // Member parameters have unregistered already; only parameters living elsewhere remain, and they
    // are alive (they unregister when they die), so detaching them is safe.
    for (ParameterBase* parameter : m_parameters)
        parameter->m_owner = nullptr;
}

void Configurable::registerParameter(ParameterBase* parameter)
{
    if (!parameter || parameter->m_owner == this)
        return;
    if (parameter->m_owner)
        parameter->m_owner->unregisterParameter(parameter);
    m_parameters.push_back(parameter);
    parameter->m_owner = this;
}

void Configurable::unregisterParameter(ParameterBase* parameter)
{
    if (!parameter || parameter->m_owner != this)
        return;
    std::erase(m_parameters, parameter);
    parameter->m_owner = nullptr;
}

ParameterBase* Configurable::parameter(std::string_view name) const
{
    const auto found = std::find_if(m_parameters.begin(), m_parameters.end(),
                                    [name](const ParameterBase* p) { return p->name() == name; });
    return found == m_parameters.end() ? nullptr : *found;
}

void Configurable::configure(const Properties* properties)
{
    if (!properties)
        return;
    // A copy: slots reacting to changes may register or unregister parameters.
    const std::vector<ParameterBase*> parameters = m_parameters;
    for (ParameterBase* parameter : parameters)
        parameter->readFrom(*properties);
}

void Configurable::configuration(Properties* properties) const
{
    if (!properties)
        return;
    for (const ParameterBase* parameter : m_parameters)
        parameter->writeTo(*properties);
}

void Configurable::configureDefaults()
{
    const std::vector<ParameterBase*> parameters = m_parameters;
    for (ParameterBase* parameter : parameters)
        parameter->resetToDefault();
}

}  // namespace Tesselon
