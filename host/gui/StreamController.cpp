#include "host/gui/StreamController.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"
#include "host/gui/ParameterWidget.h"
#include "host/stream/TrackingStream.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <exception>

namespace Tesselon {

StreamController::StreamController(Algorithm* algorithm, Stream* stream, QWidget* parent)
    : QWidget(parent),
      AlgorithmController(algorithm),
      m_stream(stream),
      m_name(new QLabel(this)),
      m_state(new QLabel(this)),
      m_message(new QLabel(this)),
      m_startButton(new QPushButton(tr("Start"), this)),
      m_stopButton(new QPushButton(tr("Stop"), this)),
      m_parameters(new ParameterWidget(stream, this))
{
    m_name->setObjectName("name");
    m_state->setObjectName("state");
    m_message->setObjectName("message");
    m_message->setWordWrap(true);
    m_startButton->setObjectName("start");
    m_stopButton->setObjectName("stop");

    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    header->addWidget(m_name, 1);
    header->addWidget(m_state);
    layout->addLayout(header);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_startButton);
    buttons->addWidget(m_stopButton);
    layout->addLayout(buttons);
    layout->addWidget(m_message);
    if (auto* tracking = dynamic_cast<TrackingStream*>(m_stream)) {
        m_recording = new StreamRecordingWidget(tracking, this);
        layout->addWidget(m_recording);
        connect(m_recording, &StreamRecordingWidget::recorded, this, &StreamController::recorded);
    }
    layout->addWidget(m_parameters);
    layout->addStretch();

    connect(m_startButton, &QPushButton::clicked, this, &StreamController::start);
    connect(m_stopButton, &QPushButton::clicked, this, &StreamController::stop);

    if (!m_stream) {
        m_startButton->setEnabled(false);
        m_stopButton->setEnabled(false);
        return;
    }
    m_name->setText(QString::fromStdString(m_stream->name()));
    // Emitted on the stream's thread: the label is changed on the GUI thread, and a change queued while the
    // panel is being destroyed is dropped with it.
    m_stream->stateChanged.connect(signalReceiver(), [this](Stream::State, Stream::State newState) {
        QtHelpers::runOnMainThread([this, newState] { showState(newState); }, 0, this);
    });
    showState(m_stream->state());
}

StreamController::~StreamController()
{
    signalReceiver()->disconnectAll();
    for (auto& operation : m_operations)
        operation.wait();
}

void StreamController::start()
{
    if (!m_stream)
        return;
    Stream* stream = m_stream;
    runOperation(
        [stream] {
            const Stream::State state = stream->state();
            if ((state == Stream::Closed || state == Stream::Failed) && !stream->open())
                return false;
            return stream->start();
        },
        tr("The stream could not be started"));
}

void StreamController::stop()
{
    if (!m_stream)
        return;
    Stream* stream = m_stream;
    runOperation([stream] { return stream->stop(); }, tr("The stream could not be stopped"));
}

void StreamController::showParameters(Configurable* configurable)
{
    auto* replacement = new ParameterWidget(configurable, this);
    delete layout()->replaceWidget(m_parameters, replacement);
    delete m_parameters;
    m_parameters = replacement;
}

QString StreamController::stateText() const
{
    return m_state->text();
}

QString StreamController::stateName(Stream::State state)
{
    switch (state) {
        case Stream::Closed:
            return tr("Closed");
        case Stream::Failed:
            return tr("Failed");
        case Stream::Open:
            return tr("Open");
        case Stream::Running:
            return tr("Running");
        case Stream::Paused:
            return tr("Paused");
    }
    return tr("Unknown");
}

void StreamController::showState(Stream::State state)
{
    m_state->setText(stateName(state));
    // A failed stream says why beside its state; the message line belongs to the operations.
    m_state->setToolTip(state == Stream::Failed ? QString::fromStdString(m_stream->failureReason())
                                                : QString());
    const bool running = state == Stream::Running || state == Stream::Paused;
    m_startButton->setEnabled(!running);
    m_stopButton->setEnabled(running);
}

void StreamController::runOperation(std::function<bool()> operation, QString failureText)
{
    std::erase_if(m_operations, [](const std::future<void>& pending) {
        return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    m_message->clear();
    // Opening a device may take seconds; the GUI thread only hears about the outcome.
    m_operations.push_back(
        std::async(std::launch::async, [this, operation = std::move(operation), failureText] {
            QString problem;
            try {
                if (!operation())
                    problem = failureText + ".";
            } catch (const std::exception& error) {
                problem = failureText + ": " + QString::fromUtf8(error.what()) + ".";
            } catch (...) {
                problem = failureText + ".";
            }
            if (problem.isEmpty())
                return;
            Log::warning("StreamController", problem.toStdString());
            QtHelpers::runOnMainThread([this, problem] { m_message->setText(problem); }, 0, this);
        }));
}

}  // namespace Tesselon
