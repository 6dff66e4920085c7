#pragma once

#include "host/core/base/Signal.h"
#include "host/stream/Stream.h"
#include "host/stream/TrackingInstrument.h"

#include <string>
#include <vector>

namespace Tesselon {

/// A stream of tracking samples (`TrackingStreamData`), with the instruments it currently knows and the
/// one the user chose as its main instrument (for example the pointer used to capture points).
class TrackingStream : public Stream
{
public:
    using Stream::Stream;

    Kind kind() const override { return Kind::TrackingStream; }

    /// The instruments of the latest sample (or the configured ones before any sample).
    virtual std::vector<TrackingInstrument> instruments() const = 0;

    std::string mainInstrumentId() const;
    /// Emits `mainInstrumentChanged` when the ID differs from the current one.
    void setMainInstrumentId(std::string id);
    Signal<std::string> mainInstrumentChanged;

private:
    mutable std::mutex m_mainInstrumentMutex;
    std::string m_mainInstrumentId;
};

}  // namespace Tesselon
