#pragma once

#include "host/core/config/ConfigurationCopy.h"
#include "host/gui/StreamController.h"

namespace Tesselon {

class StreamAlgorithm;

/// The smoothed stream's panel: the common stream controls and the stream's configuration, refreshed
/// whenever the stream reports a change. Edits go back through the stream's `configure`, which applies
/// them under its lock, restarts the smoothing and shows or hides the parameters the mode uses.
class SmoothedTrackingStreamController : public StreamController
{
    Q_OBJECT

public:
    explicit SmoothedTrackingStreamController(StreamAlgorithm* algorithm);
    ~SmoothedTrackingStreamController() override;

    void init() override;

public slots:
    /// Shows the stream's current configuration.
    void refresh();

private:
    void applyEdit();

    // What the panel edits: the stream's parameters are only ever written by the stream itself.
    ConfigurationCopy m_configuration;
};

}  // namespace Tesselon
