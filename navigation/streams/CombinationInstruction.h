#pragma once

#include "host/core/config/Configurable.h"
#include "host/core/config/Parameter.h"

#include <string>

namespace Tesselon {

/// How one output instrument of a combined stream is computed: a reference instrument ("pre") and a
/// target instrument ("post"), each named by its stream's name and its ID in the text form of a
/// `TrackerID`, combined either as the target in the reference's frame or as the composition of both.
class CombinationInstruction : public Configurable
{
public:
    enum CombinationMode
    {
        Relative = 0,
        Composition = 1
    };

    CombinationInstruction() = default;
    CombinationInstruction(const CombinationInstruction& other);
    CombinationInstruction& operator=(const CombinationInstruction& other);

    Parameter<std::string> outputInstrument{"outputInstrument", "", this};
    Parameter<std::string> preStreamName{"preStreamName", "", this};
    Parameter<std::string> preInstrument{"preInstrument", "", this};
    Parameter<std::string> postStreamName{"postStreamName", "", this};
    Parameter<std::string> postInstrument{"postInstrument", "", this};
    Parameter<CombinationMode> combinationMode{"combinationMode", Relative, this};
};

}  // namespace Tesselon
