#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/TrackerID.h"

#include <QComboBox>
#include <QString>

#include <string>
#include <vector>

namespace Tesselon {

class TrackingStream;

/// A choice among the instruments of a tracking stream, kept up to date as the stream reports changes.
/// Items are matched by instrument ID, so a refill keeps the chosen instrument.
class TrackingInstrumentComboBox : public QComboBox, public SignalReceiver
{
    Q_OBJECT

public:
    /// What an item's text shows, as bits of `formattingFlags`; empty parts are left out.
    enum Format
    {
        ShowId = 1,
        ShowModel = 2,
        ShowName = 4
    };

    /// `allowEmpty`: when the chosen instrument disappears (or none was chosen yet) the box shows no choice
    /// instead of falling back to the first item; with "None" offered it falls back to "None" either way.
    explicit TrackingInstrumentComboBox(bool allowEmpty = false, QWidget* parent = nullptr);
    ~TrackingInstrumentComboBox() override;

    /// The text between the parts of an item (" : " by default); existing items are relabelled.
    void setSeparator(QString separator);
    QString separator() const { return m_separator; }
    /// The text of the item with an empty ID ("None" by default), for boxes where it means something
    /// else, such as every instrument.
    void setNoneText(QString text);

    /// Fills the box from the stream's instruments and refills it whenever the stream reports an update;
    /// a previous stream is forgotten. `offerNone` puts a first item "None" with an empty ID. The stream
    /// must outlive the box or be replaced before it dies.
    void initFromTrackingStream(TrackingStream* stream, int formattingFlags, bool offerNone);
    /// Fills the box from this list as a stream update would.
    void setInstruments(const std::vector<TrackerID>& instruments);

    /// Chooses the item with this ID; false (choice unchanged) when there is none.
    bool selectInstrument(const std::string& id);
    /// The chosen instrument's ID; empty for "None" or no choice.
    std::string selectedInstrumentId() const;

signals:
    /// The chosen instrument changed, by the user, by `selectInstrument` or because a refill lost the
    /// previous one; refills that keep the ID stay quiet.
    void instrumentSelected(QString id);

private:
    QString textFor(const TrackerID& instrument) const;
    void rebuildItems();
    void announceIfChanged();

    bool m_allowEmpty;
    QString m_separator = QStringLiteral(" : ");
    QString m_noneText = tr("None");
    int m_formattingFlags = ShowId;
    bool m_offerNone = false;
    std::vector<TrackerID> m_instruments;
    QString m_announcedId;
};

}  // namespace Tesselon
