// The library's C entry points and the static start-up the host relies on.
#include "navigation/plugin/NavigationPlugin.h"

#include "host/core/plugin/PluginAutoRegistrationGuard.h"

#define TESSELON_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

TESSELON_PLUGIN_EXPORT Tesselon::PluginBase* tesselonCreatePlugin();
TESSELON_PLUGIN_EXPORT const char* tesselonPluginId();
TESSELON_PLUGIN_EXPORT const char* const tesselonPluginDescriptor;

// The host reads this marker before it runs any of the library's code.
const char* const tesselonPluginDescriptor =
    "__TESSELON_PLUGIN_V2_MAGIC_STRING__|hostversion=4.4.6|buildflags=GLIBCXX_DEBUG:_GLIBCXX_DEBUG|"
    "pluginversion=";

Tesselon::PluginBase* tesselonCreatePlugin()
{
    return new Tesselon::NavigationPlugin();
}

const char* tesselonPluginId()
{
    return Tesselon::NavigationPlugin::id();
}

namespace {

// Constructed at load, before the resource tree registers itself (its object files link after this
// one), and destroyed at unload in reverse order.
const Tesselon::PluginAutoRegistrationGuard autoRegistrationGuard(&Tesselon::NavigationPlugin::id);

}  // namespace
