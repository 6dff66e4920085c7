#pragma once

#include "host/stream/TrackingStream.h"

namespace Tesselon {

/// A tracking stream without a device or thread of its own: it emits when something hands it a sample
/// (an input stream, a file, a test), so opening, starting, stopping and closing only change its state.
class PassiveTrackingStream : public TrackingStream
{
public:
    using TrackingStream::TrackingStream;

protected:
    bool openImpl() override { return true; }
    bool startImpl() override { return true; }
    bool stopImpl() override { return true; }
    bool closeImpl() override { return true; }
};

}  // namespace Tesselon
