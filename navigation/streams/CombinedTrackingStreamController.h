#pragma once

#include "host/gui/StreamController.h"

#include <memory>

class QComboBox;

namespace Ui {
class CombinedTrackingStreamController;
}

namespace Tesselon {

class CombinedTrackingStream;
class StreamAlgorithm;
class TrackingStream;

/// The combined stream's panel: builds its output instruments one at a time from a target and a
/// reference instrument of the stream's inputs, and switches forwarding the target without combination.
/// Inert when the algorithm's stream is not a combined one.
class CombinedTrackingStreamController : public StreamController
{
    Q_OBJECT

public:
    explicit CombinedTrackingStreamController(StreamAlgorithm* algorithm);
    ~CombinedTrackingStreamController() override;

    void init() override;

public slots:
    /// Refills the instrument boxes from the chosen input streams and shows the forwarding flag.
    void updateGui();
    /// Adds the instruction the form describes; refused, with a sentence in the panel, while an
    /// instrument box is empty.
    void onAddInstrument();
    void onChangeForwardTargetOnly(bool on);

private:
    /// Any thread: asks the GUI thread to run `updateGui`.
    void requestUpdate();
    TrackingStream* inputNamed(const QString& name) const;
    void fillInstruments(const QComboBox& streamBox, QComboBox& instrumentBox) const;
    QString outputName() const;

    std::unique_ptr<Ui::CombinedTrackingStreamController> m_ui;
    CombinedTrackingStream* m_combined = nullptr;
};

}  // namespace Tesselon
