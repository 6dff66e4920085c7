#include "host/core/plugin/PluginBase.h"

namespace Tesselon {

PluginBase::~PluginBase() = default;

}  // namespace Tesselon
