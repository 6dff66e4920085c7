#pragma once

#include "host/core/model/Algorithm.h"

namespace Tesselon {

/// An algorithm that reads or writes files; it takes defaults (folders, formats) from the host's
/// global settings when it is created.
class IoAlgorithm : public Algorithm
{
public:
    /// Configures the algorithm from the global settings stored under its factory id, if any.
    virtual void configureFromGlobalSettings();
};

}  // namespace Tesselon
