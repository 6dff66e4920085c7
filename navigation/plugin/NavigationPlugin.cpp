#include "navigation/plugin/NavigationPlugin.h"

#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"
#include "navigation/plugin/NavigationAlgorithmFactory.h"
#include "navigation/plugin/NavigationIds.h"

namespace Tesselon {

NavigationPlugin::~NavigationPlugin() = default;

std::string NavigationPlugin::author() const
{
    return "Tesselon Navigation";
}

std::string NavigationPlugin::description() const
{
    return "Plugin for real-time navigation and visualization of tracking tools";
}

std::vector<std::string> NavigationPlugin::dependencies() const
{
    return {"Tesselon.Stream"};
}

int NavigationPlugin::init()
{
    auto controllers = std::make_unique<NavigationAlgorithmControllerFactory>();
    auto algorithms = std::make_unique<NavigationAlgorithmFactory>();
    registerFactories(std::move(algorithms), std::move(controllers), nullptr);
    return 0;
}

const char* NavigationPlugin::id()
{
    return NavigationIds::plugin;
}

}  // namespace Tesselon
