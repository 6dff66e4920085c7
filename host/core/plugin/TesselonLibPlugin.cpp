#include "host/core/plugin/TesselonLibPlugin.h"

namespace Tesselon {

TesselonLibPlugin::~TesselonLibPlugin() = default;

void TesselonLibPlugin::setApplicationController(ApplicationController&) {}

void TesselonLibPlugin::registerFactories(std::unique_ptr<AlgorithmFactory> algorithms,
                                          std::unique_ptr<AlgorithmControllerFactory> controllers,
                                          std::unique_ptr<DataAnnotationFactory> annotations)
{
    m_factories = {std::move(algorithms), std::move(controllers), std::move(annotations)};
}

TesselonLibPlugin::Factories TesselonLibPlugin::takeFactories()
{
    return std::exchange(m_factories, {});
}

}  // namespace Tesselon
