#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"

namespace Tesselon {

NavigationAlgorithmControllerFactory::NavigationAlgorithmControllerFactory()
    : AlgorithmControllerFactory("Navigation", false)
{
}

AlgorithmController* NavigationAlgorithmControllerFactory::create(Algorithm*) const
{
    return nullptr;
}

}  // namespace Tesselon
