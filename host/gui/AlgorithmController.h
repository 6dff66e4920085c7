#pragma once

#include "host/core/base/SignalReceiver.h"

#include <QString>

class QWidget;

namespace Tesselon {

class Algorithm;
class ApplicationController;

/// The base of every algorithm panel the host shows: it knows its algorithm, receives host signals and
/// names itself. Panels derive from a QWidget and from this class; `AlgorithmControllerFactory` hands them
/// out as this type and the host deletes them through it.
class AlgorithmController
{
public:
    /// The algorithm is not owned and must outlive the controller.
    explicit AlgorithmController(Algorithm* algorithm);
    virtual ~AlgorithmController();
    AlgorithmController(const AlgorithmController&) = delete;
    AlgorithmController& operator=(const AlgorithmController&) = delete;

    /// Called by the host once the controller is constructed, so set-up may call virtual functions.
    virtual void init();
    /// The widget to embed; by default this object itself when it is a widget, otherwise null.
    virtual QWidget* widget();
    /// The title set with `setTitle`, else the algorithm's display name from its factory, else empty.
    virtual QString title() const;
    /// An empty title restores the default one.
    void setTitle(QString title);

    Algorithm* algorithm() const { return m_algorithm; }
    /// The host's views and annotations, set by the host before `init`; null for a panel shown alone.
    ApplicationController* applicationController() const { return m_application; }
    void setApplicationController(ApplicationController* application) { m_application = application; }
    /// Connect host signals here; a subclass whose slots read its own members calls
    /// `signalReceiver()->disconnectAll()` first in its destructor.
    SignalReceiver* signalReceiver() { return &m_signalReceiver; }

private:
    Algorithm* m_algorithm;
    ApplicationController* m_application = nullptr;
    QString m_title;
    SignalReceiver m_signalReceiver;
};

}  // namespace Tesselon
