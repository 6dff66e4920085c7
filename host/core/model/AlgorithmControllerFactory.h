#pragma once

#include <string>

namespace Tesselon {

class Algorithm;
class AlgorithmController;

/// Gives the host the control panel of an algorithm a plug-in created. The panel types live in the GUI
/// layer; this layer only hands out pointers to them.
class AlgorithmControllerFactory
{
public:
    /// `internal`: the factory serves algorithms created by code only (see `AlgorithmFactory`).
    AlgorithmControllerFactory(std::string name, bool internal);
    virtual ~AlgorithmControllerFactory();
    AlgorithmControllerFactory(const AlgorithmControllerFactory&) = delete;
    AlgorithmControllerFactory& operator=(const AlgorithmControllerFactory&) = delete;

    const std::string& name() const { return m_name; }
    bool isInternal() const { return m_internal; }

    /// A new panel for this algorithm, owned by the caller, or null when the algorithm is not this
    /// factory's.
    virtual AlgorithmController* create(Algorithm* algorithm) const = 0;

private:
    std::string m_name;
    bool m_internal;
};

}  // namespace Tesselon
