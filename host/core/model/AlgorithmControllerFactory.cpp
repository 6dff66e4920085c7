#include "host/core/model/AlgorithmControllerFactory.h"

namespace Tesselon {

AlgorithmControllerFactory::AlgorithmControllerFactory(std::string name, bool internal)
    : m_name(std::move(name)), m_internal(internal)
{
}

AlgorithmControllerFactory::~AlgorithmControllerFactory() = default;

}  // namespace Tesselon
