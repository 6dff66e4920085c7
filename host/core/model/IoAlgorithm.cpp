#include "host/core/model/IoAlgorithm.h"

#include "host/core/config/GlobalSettings.h"

namespace Tesselon {

void IoAlgorithm::configureFromGlobalSettings()
{
    if (const auto settings = GlobalSettings::instance().settingsFor(factoryInfo().id))
        configure(&*settings);
}

}  // namespace Tesselon
