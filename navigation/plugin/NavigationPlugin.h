#pragma once

#include "host/core/plugin/TesselonLibPlugin.h"

namespace Tesselon {

/// The navigation plug-in as the host sees it: identity, its one host dependency, and the start-up
/// that hands the algorithm and panel factories to the host.
class NavigationPlugin : public TesselonLibPlugin
{
public:
    ~NavigationPlugin() override;
    std::string author() const override;
    std::string description() const override;
    std::vector<std::string> dependencies() const override;
    /// Creates both factories and hands them to the host; returns 0.
    int init() override;

    static const char* id();
};

}  // namespace Tesselon
