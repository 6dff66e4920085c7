#pragma once

#include <string>
#include <vector>

namespace Tesselon {

/// What the host sees of a loaded plug-in library: identity, what it needs, and its start-up.
class PluginBase
{
public:
    virtual ~PluginBase();
    virtual std::string author() const = 0;
    virtual std::string description() const = 0;
    /// Ids of the plug-ins that must be loaded before this one.
    virtual std::vector<std::string> dependencies() const = 0;
    /// Called once after creation; 0 on success.
    virtual int init() = 0;
};

}  // namespace Tesselon
