#include "host/gui/TrackingStatusWidget.h"

#include "host/stream/TrackingStream.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace Tesselon {
namespace {

constexpr int refreshMilliseconds = 100;

QString lampStyle(bool seen)
{
    return QString("QLabel { color: white; background: %1; border-radius: 4px; padding: 2px 6px; }")
        .arg(seen ? "#2e9d4a" : "#c0392b");
}

}  // namespace

TrackingStatusWidget::TrackingStatusWidget(QWidget* parent)
    : QWidget(parent), m_layout(new QHBoxLayout(this)), m_timer(new QTimer(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addStretch();
    connect(m_timer, &QTimer::timeout, this, &TrackingStatusWidget::refresh);
    m_timer->start(refreshMilliseconds);
}

void TrackingStatusWidget::setStreams(std::vector<TrackingStream*> streams)
{
    m_streams = std::move(streams);
    for (auto& [id, lamp] : m_lamps)
        delete lamp.label;
    m_lamps.clear();
    refresh();
}

void TrackingStatusWidget::refresh()
{
    for (TrackingStream* stream : m_streams) {
        const bool running = stream->isRunning();
        for (const TrackingInstrument& instrument : stream->instruments())
            show(instrument.id.ID(), instrument.id.name().empty() ? instrument.id.ID() : instrument.id.name(),
                 running && instrument.visible && instrument.quality > 0.0);
    }
}

void TrackingStatusWidget::show(const std::string& id, const std::string& name, bool seen)
{
    auto lamp = m_lamps.find(id);
    if (lamp == m_lamps.end()) {
        auto* label = new QLabel(QString::fromStdString(name));
        m_layout->insertWidget(m_layout->count() - 1, label);
        lamp = m_lamps.emplace(id, Lamp{label, !seen}).first;
    }
    if (lamp->second.seen == seen)
        return;
    lamp->second.seen = seen;
    lamp->second.label->setStyleSheet(lampStyle(seen));
    lamp->second.label->setToolTip(QString::fromStdString(name) + (seen ? tr(": tracked") : tr(": lost")));
}

bool TrackingStatusWidget::isSeen(const std::string& instrumentId) const
{
    const auto lamp = m_lamps.find(instrumentId);
    return lamp != m_lamps.end() && lamp->second.seen;
}

std::vector<std::string> TrackingStatusWidget::instrumentIds() const
{
    std::vector<std::string> ids;
    for (const auto& [id, lamp] : m_lamps)
        ids.push_back(id);
    return ids;
}

}  // namespace Tesselon
