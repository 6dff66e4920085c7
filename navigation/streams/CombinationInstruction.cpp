#include "navigation/streams/CombinationInstruction.h"

namespace Tesselon {

CombinationInstruction::CombinationInstruction(const CombinationInstruction& other) : Configurable()
{
    *this = other;
}

CombinationInstruction& CombinationInstruction::operator=(const CombinationInstruction& other)
{
    Properties values;
    other.configuration(&values);
    configure(&values);
    return *this;
}

}  // namespace Tesselon
