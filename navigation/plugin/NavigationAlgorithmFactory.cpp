#include "navigation/plugin/NavigationAlgorithmFactory.h"

namespace Tesselon {

NavigationAlgorithmFactory::NavigationAlgorithmFactory() : AlgorithmFactory("Navigation", false) {}

}  // namespace Tesselon
