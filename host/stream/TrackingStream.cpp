#include "host/stream/TrackingStream.h"

namespace Tesselon {

std::string TrackingStream::mainInstrumentId() const
{
    std::lock_guard lock(m_mainInstrumentMutex);
    return m_mainInstrumentId;
}

void TrackingStream::setMainInstrumentId(std::string id)
{
    {
        std::lock_guard lock(m_mainInstrumentMutex);
        if (m_mainInstrumentId == id)
            return;
        m_mainInstrumentId = id;
    }
    mainInstrumentChanged.emitSignal(id);
}

}  // namespace Tesselon
