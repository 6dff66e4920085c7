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
    for (auto& [key, lamp] : m_lamps)
        delete lamp.label;
    m_lamps.clear();
    refresh();
}

void TrackingStatusWidget::refresh()
{
    for (TrackingStream* stream : m_streams) {
        const bool running = stream->isRunning();
        for (const TrackingInstrument& instrument : stream->instruments())
            show(*stream, instrument, running && instrument.visible && instrument.quality > 0.0);
    }
}

void TrackingStatusWidget::show(const TrackingStream& stream, const TrackingInstrument& instrument, bool seen)
{
    const std::string& id = instrument.id.ID();
    const QString name = QString::fromStdString(instrument.id.name().empty() ? id : instrument.id.name());
    auto lamp = m_lamps.find({&stream, id});
    if (lamp == m_lamps.end()) {
        auto* label = new QLabel(name);
        m_layout->insertWidget(m_layout->count() - 1, label);
        lamp = m_lamps.emplace(LampKey{&stream, id}, Lamp{label, !seen}).first;
    }
    if (lamp->second.seen == seen)
        return;
    lamp->second.seen = seen;
    lamp->second.label->setStyleSheet(lampStyle(seen));
    lamp->second.label->setToolTip(
        tr("%1 of %2: %3")
            .arg(name, QString::fromStdString(stream.name()), seen ? tr("tracked") : tr("lost")));
}

bool TrackingStatusWidget::isSeen(const TrackingStream& stream, const std::string& instrumentId) const
{
    const auto lamp = m_lamps.find({&stream, instrumentId});
    return lamp != m_lamps.end() && lamp->second.seen;
}

std::vector<std::string> TrackingStatusWidget::instrumentIds(const TrackingStream& stream) const
{
    std::vector<std::string> ids;
    for (const auto& [key, lamp] : m_lamps)
        if (key.first == &stream)
            ids.push_back(key.second);
    return ids;
}

}  // namespace Tesselon
