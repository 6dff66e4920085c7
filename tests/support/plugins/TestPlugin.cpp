// A tiny plug-in built in several variants (compile definitions) to exercise the plug-in loader:
// a good one, one without marker, one with another magic token or host version, one whose dependency
// is missing, one whose init fails.
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/plugin/TesselonLibPlugin.h"

#include <stdexcept>

#ifndef TEST_PLUGIN_ID
#define TEST_PLUGIN_ID "Test.Plugin"
#endif
#ifndef TEST_PLUGIN_MARKER
#define TEST_PLUGIN_MARKER "__TESSELON_PLUGIN_V2_MAGIC_STRING__|hostversion=4.4.6|pluginversion=1"
#endif
#ifndef TEST_PLUGIN_DEPENDENCY
#define TEST_PLUGIN_DEPENDENCY "Tesselon.Stream"
#endif

namespace {

class TestPlugin : public Tesselon::TesselonLibPlugin
{
public:
    std::string author() const override { return "Test author"; }
    std::string description() const override { return "Test plug-in " TEST_PLUGIN_ID; }
    std::vector<std::string> dependencies() const override { return {TEST_PLUGIN_DEPENDENCY}; }
    int init() override
    {
#ifdef TEST_PLUGIN_INIT_THROWS
        throw std::runtime_error("the test plug-in refuses to start");
#endif
        registerFactories(std::make_unique<Tesselon::AlgorithmFactory>(TEST_PLUGIN_ID, false), nullptr,
                          nullptr);
        return 0;
    }
};

}  // namespace

#define TEST_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

TEST_PLUGIN_EXPORT Tesselon::PluginBase* tesselonCreatePlugin()
{
    return new TestPlugin();
}

TEST_PLUGIN_EXPORT const char* tesselonPluginId()
{
    return TEST_PLUGIN_ID;
}

#ifndef TEST_PLUGIN_WITHOUT_MARKER
TEST_PLUGIN_EXPORT const char* const tesselonPluginDescriptor;
const char* const tesselonPluginDescriptor = TEST_PLUGIN_MARKER;
#endif
