#include "navigation/streams/SmoothedTrackingStreamController.h"

#include "host/gui/ParameterWidget.h"
#include "host/stream/StreamAlgorithm.h"

namespace Tesselon {

SmoothedTrackingStreamController::SmoothedTrackingStreamController(StreamAlgorithm* algorithm)
    : StreamController(algorithm, algorithm ? algorithm->createdStream() : nullptr)
{
}

SmoothedTrackingStreamController::~SmoothedTrackingStreamController()
{
    // Change reports come from the stream's thread and post to this panel; the shown editors go before
    // the copy they edit.
    signalReceiver()->disconnectAll();
    showParameters(nullptr);
}

void SmoothedTrackingStreamController::init()
{
    StreamController::init();
    if (!stream())
        return;
    stream()->updated.connect(signalReceiver(),
                              [this] { QMetaObject::invokeMethod(this, "refresh", Qt::QueuedConnection); });
    // The base shows the stream's own parameters, which the GUI thread must not write.
    showParameters(nullptr);
    refresh();
}

void SmoothedTrackingStreamController::refresh()
{
    Properties configuration;
    stream()->configuration(&configuration);
    if (m_configuration.hasShapeOf(configuration)) {
        // The editors follow the copy's values without writing them back.
        m_configuration.configure(&configuration);
        return;
    }
    // Other parameters are shown (the mode changed): the editors go before the parameters they edit.
    showParameters(nullptr);
    m_configuration.rebuild(configuration, stream());
    showParameters(&m_configuration);
    connect(parameterWidget(), &ParameterWidget::parameterEdited, this,
            &SmoothedTrackingStreamController::applyEdit);
}

void SmoothedTrackingStreamController::applyEdit()
{
    Properties edited;
    m_configuration.configuration(&edited);
    stream()->configure(&edited);
}

}  // namespace Tesselon
