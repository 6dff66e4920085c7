#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"

#include "navigation/plugin/NavigationIds.h"

namespace Tesselon {

NavigationAlgorithmControllerFactory::NavigationAlgorithmControllerFactory()
    : AlgorithmControllerFactory(std::string(NavigationIds::factory), false)
{
}

AlgorithmController* NavigationAlgorithmControllerFactory::create(Algorithm*) const
{
    return nullptr;
}

}  // namespace Tesselon
