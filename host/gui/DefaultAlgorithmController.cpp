#include "host/gui/DefaultAlgorithmController.h"

#include "host/core/base/Log.h"
#include "host/core/model/Algorithm.h"
#include "host/gui/ParameterWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace Tesselon {
namespace {

/// Keeps the warnings and errors logged by one thread, so a computation's problems are not mixed with
/// those of streams running meanwhile.
class ThreadProblemSink : public LogSink
{
public:
    void write(const LogMessage& message) override
    {
        if (message.level < Log::Warning || std::this_thread::get_id() != m_thread)
            return;
        std::lock_guard lock(m_mutex);
        m_problems << QString::fromStdString(message.text);
    }

    QStringList problems() const
    {
        std::lock_guard lock(m_mutex);
        return m_problems;
    }

private:
    const std::thread::id m_thread = std::this_thread::get_id();
    mutable std::mutex m_mutex;
    QStringList m_problems;
};

}  // namespace

DefaultAlgorithmController::DefaultAlgorithmController(Algorithm* algorithm, QString title, bool showCompute,
                                                       bool liveUpdate, QWidget* parent)
    : QWidget(parent),
      AlgorithmController(algorithm),
      m_parameters(new ParameterWidget(algorithm, this)),
      m_status(new QLabel(this)),
      m_liveUpdate(liveUpdate)
{
    setTitle(std::move(title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_parameters);
    if (showCompute) {
        m_computeButton = new QPushButton(tr("Compute"), this);
        m_computeButton->setObjectName("compute");
        layout->addWidget(m_computeButton);
        connect(m_computeButton, &QPushButton::clicked, this, &DefaultAlgorithmController::compute);
    }
    m_status->setObjectName("status");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    layout->addStretch();
    connect(m_parameters, &ParameterWidget::parameterEdited, this, [this] {
        if (m_liveUpdate)
            compute();
    });
}

DefaultAlgorithmController::~DefaultAlgorithmController() = default;

void DefaultAlgorithmController::compute()
{
    if (!algorithm())
        return;
    const auto sink = std::make_shared<ThreadProblemSink>();
    Log::addSink(sink);
    QString failure;
    // Algorithms report through their status, but a panel must survive one that throws anyway.
    try {
        algorithm()->compute();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    } catch (...) {
        failure = tr("unknown exception");
    }
    Log::removeSink(sink);

    const QStringList problems = sink->problems();
    const int status = algorithm()->status();
    if (!failure.isEmpty()) {
        Log::error("DefaultAlgorithmController",
                   "The computation of \"" + title().toStdString() + "\" failed: " + failure.toStdString());
        m_status->setText(tr("Failed: %1").arg(failure));
    } else if (status == Algorithm::Success) {
        m_status->setText(tr("Done."));
    } else {
        m_status->setText(tr("Failed with status %1.").arg(status) +
                          (problems.isEmpty() ? QString() : " " + problems.join(' ')));
    }
    if (failure.isEmpty())
        emit computed(status);
}

QString DefaultAlgorithmController::statusText() const
{
    return m_status->text();
}

}  // namespace Tesselon
