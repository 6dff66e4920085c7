#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/model/Algorithm.h"
#include "host/stream/Stream.h"

namespace Tesselon {

/// An algorithm whose result is a new stream, handed to the host through `takeOutput`.
class StreamAlgorithm : public Algorithm, public SignalReceiver
{
public:
    /// The stream the algorithm created, or null.
    virtual Stream* stream() const = 0;
    /// Forgets the created stream without deleting it.
    virtual void resetStream() = 0;

    /// Hands the created stream to the caller, who owns it from then on.
    std::vector<std::unique_ptr<Data>> takeOutput() override;
    /// The stream the algorithm created, also after it was handed out (the host shows its panel then);
    /// whoever took it keeps it alive while this is used.
    Stream* createdStream() const { return stream() ? stream() : m_handedOut; }

private:
    Stream* m_handedOut = nullptr;
};

}  // namespace Tesselon
