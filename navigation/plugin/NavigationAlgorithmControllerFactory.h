#pragma once

#include "host/core/model/AlgorithmControllerFactory.h"

namespace Tesselon {

/// Gives the host the panel of each navigation algorithm.
class NavigationAlgorithmControllerFactory : public AlgorithmControllerFactory
{
public:
    NavigationAlgorithmControllerFactory();
    /// The panel of a navigation algorithm, or null for a null algorithm or one of another plug-in.
    AlgorithmController* create(Algorithm* algorithm) const override;
};

}  // namespace Tesselon
