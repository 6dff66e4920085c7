#include "host/core/PluginBase.h"

namespace Tesselon {

PluginBase::~PluginBase() = default;

}  // namespace Tesselon
