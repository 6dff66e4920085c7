#pragma once

#include "host/gui/AlgorithmController.h"
#include "host/gui/StreamRecordingWidget.h"
#include "host/stream/Stream.h"

#include <QWidget>

#include <functional>
#include <future>
#include <vector>

class QLabel;
class QPushButton;

namespace Tesselon {

class ParameterWidget;

/// The base of stream panels: the stream's name and state, Start and Stop buttons, Record and Stop for a
/// tracking stream, and the stream's parameters. Stream operations run off the GUI thread; their failures
/// are shown and logged.
class StreamController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    /// `stream`: the stream the algorithm created; it must outlive the controller.
    StreamController(Algorithm* algorithm, Stream* stream, QWidget* parent = nullptr);
    /// Waits for stream operations still running.
    ~StreamController() override;

    Stream* stream() const { return m_stream; }
    ParameterWidget* parameterWidget() const { return m_parameters; }
    /// Null unless the stream is a tracking stream.
    StreamRecordingWidget* recordingWidget() const { return m_recording; }
    /// Shows the parameters of `configurable` in place of the shown ones, with editors made anew; it must
    /// outlive the panel or be replaced before it dies.
    void showParameters(Configurable* configurable);

    /// Opens the stream if needed, then starts it.
    void start();
    void stop();

    /// The shown state: "Closed", "Failed", "Open", "Running" or "Paused".
    QString stateText() const;
    /// The display text of a state.
    static QString stateName(Stream::State state);

signals:
    /// A recording of the stream ended; the listener takes the sequences.
    void recorded(std::shared_ptr<Tesselon::StreamRecordingWidget::Sequences> sequences);

private:
    void showState(Stream::State state);
    void runOperation(std::function<bool()> operation, QString failureText);

    Stream* m_stream;
    QLabel* m_name;
    QLabel* m_state;
    QLabel* m_message;
    QPushButton* m_startButton;
    QPushButton* m_stopButton;
    StreamRecordingWidget* m_recording = nullptr;
    ParameterWidget* m_parameters;
    // Operations started from the panel; finished ones are dropped at the next start.
    std::vector<std::future<void>> m_operations;
};

}  // namespace Tesselon
