#pragma once

#include "host/core/model/AlgorithmFactory.h"

namespace Tesselon {

/// Offers the navigation algorithms to the host under the factory name "Navigation".
class NavigationAlgorithmFactory : public AlgorithmFactory
{
public:
    /// Registers every algorithm of the plug-in, in menu order.
    NavigationAlgorithmFactory();
    /// Withdraws the point-capture registration, whose code leaves with the plug-in.
    ~NavigationAlgorithmFactory() override;
};

}  // namespace Tesselon
