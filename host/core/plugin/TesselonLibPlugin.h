#pragma once

#include "host/core/model/AlgorithmControllerFactory.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/model/DataAnnotationFactory.h"
#include "host/core/plugin/PluginBase.h"

#include <memory>

namespace Tesselon {

class ApplicationController;

/// A plug-in that contributes algorithms, panels and annotations through factories, which it hands
/// to the host in `init` with `registerFactories`.
class TesselonLibPlugin : public PluginBase
{
public:
    struct Factories
    {
        std::unique_ptr<AlgorithmFactory> algorithms;
        std::unique_ptr<AlgorithmControllerFactory> controllers;
        std::unique_ptr<DataAnnotationFactory> annotations;
    };

    ~TesselonLibPlugin() override;

    /// Gives the plug-in the host's application; by default the plug-in does not need it.
    virtual void setApplicationController(ApplicationController& controller);

    /// Hands the plug-in's factories over to the host for good; any of them may be empty.
    void registerFactories(std::unique_ptr<AlgorithmFactory> algorithms,
                           std::unique_ptr<AlgorithmControllerFactory> controllers,
                           std::unique_ptr<DataAnnotationFactory> annotations);

    /// The factories registered so far, which the host takes after `init`.
    Factories takeFactories();

private:
    Factories m_factories;
};

}  // namespace Tesselon
