#include "host/gui/TrackingInstrumentComboBox.h"

#include "host/core/base/QtHelpers.h"
#include "host/stream/TrackingStream.h"

#include <QSignalBlocker>
#include <QStringList>

namespace Tesselon {
namespace {

std::vector<TrackerID> instrumentIds(const TrackingStream& stream)
{
    std::vector<TrackerID> ids;
    for (const TrackingInstrument& instrument : stream.instruments())
        ids.push_back(instrument.id);
    return ids;
}

}  // namespace

TrackingInstrumentComboBox::TrackingInstrumentComboBox(bool allowEmpty, QWidget* parent)
    : QComboBox(parent), m_allowEmpty(allowEmpty)
{
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TrackingInstrumentComboBox::announceIfChanged);
}

TrackingInstrumentComboBox::~TrackingInstrumentComboBox()
{
    // The update slot runs on the stream's thread and posts to this box: end it before the box goes.
    disconnectAll();
}

void TrackingInstrumentComboBox::setSeparator(QString separator)
{
    m_separator = std::move(separator);
    rebuildItems();
}

void TrackingInstrumentComboBox::setNoneText(QString text)
{
    m_noneText = std::move(text);
    rebuildItems();
}

void TrackingInstrumentComboBox::initFromTrackingStream(TrackingStream* stream, int formattingFlags,
                                                        bool offerNone)
{
    disconnectAll();
    m_formattingFlags = formattingFlags;
    m_offerNone = offerNone;
    if (!stream) {
        setInstruments({});
        return;
    }
    // The instruments are read on the stream's thread, while the stream surely lives, and handed over.
    stream->updated.connect(this, [this, stream] {
        QtHelpers::runOnMainThread([this, ids = instrumentIds(*stream)] { setInstruments(ids); }, 0, this);
    });
    setInstruments(instrumentIds(*stream));
}

void TrackingInstrumentComboBox::setInstruments(const std::vector<TrackerID>& instruments)
{
    m_instruments = instruments;
    rebuildItems();
}

bool TrackingInstrumentComboBox::selectInstrument(const std::string& id)
{
    const int index = findData(QString::fromStdString(id));
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

std::string TrackingInstrumentComboBox::selectedInstrumentId() const
{
    return currentIndex() < 0 ? std::string() : currentData().toString().toStdString();
}

QString TrackingInstrumentComboBox::textFor(const TrackerID& instrument) const
{
    QStringList parts;
    const auto add = [&](int flag, const std::string& part) {
        if ((m_formattingFlags & flag) && !part.empty())
            parts << QString::fromStdString(part);
    };
    add(ShowId, instrument.ID());
    add(ShowModel, instrument.model());
    add(ShowName, instrument.name());
    // An item must say something: the ID stands in when the chosen parts are all empty.
    return parts.isEmpty() ? QString::fromStdString(instrument.ID()) : parts.join(m_separator);
}

void TrackingInstrumentComboBox::rebuildItems()
{
    QStringList texts;
    QStringList ids;
    if (m_offerNone) {
        texts << m_noneText;
        ids << QString();
    }
    for (const TrackerID& instrument : m_instruments) {
        texts << textFor(instrument);
        ids << QString::fromStdString(instrument.ID());
    }

    bool unchanged = count() == texts.size();
    for (int i = 0; unchanged && i < count(); ++i)
        unchanged = itemText(i) == texts[i] && itemData(i).toString() == ids[i];
    // Rebuilding would close an open popup on every stream update.
    if (unchanged)
        return;

    const QString previous = currentIndex() < 0 ? QString() : currentData().toString();
    const bool hadChoice = currentIndex() >= 0;
    {
        const QSignalBlocker blocker(this);
        clear();
        for (int i = 0; i < texts.size(); ++i)
            addItem(texts[i], ids[i]);
        int index = hadChoice ? ids.indexOf(previous) : -1;
        // "None" is a choice in itself; otherwise only an empty-allowing box may show nothing.
        if (index < 0 && (m_offerNone || (!m_allowEmpty && !ids.isEmpty())))
            index = 0;
        setCurrentIndex(index);
    }
    announceIfChanged();
}

void TrackingInstrumentComboBox::announceIfChanged()
{
    const QString id = QString::fromStdString(selectedInstrumentId());
    if (id == m_announcedId)
        return;
    m_announcedId = id;
    emit instrumentSelected(id);
}

}  // namespace Tesselon
