#pragma once

#include "host/core/base/LogSink.h"

#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace Tesselon {

/// The host log in a window: one row per message (level, category, text), filtered by lowest level and
/// by category. It installs itself as a log sink while it lives; messages from any thread are queued to
/// the GUI thread.
class LogView : public QWidget
{
    Q_OBJECT

public:
    explicit LogView(QWidget* parent = nullptr);
    ~LogView() override;

    /// The messages shown under the current filters.
    int visibleRowCount() const;
    void setMinimumLevel(int level);
    void setCategoryFilter(const QString& text);
    /// Every message received, also those filtered out.
    const std::vector<LogMessage>& messages() const { return m_messages; }

private:
    class Sink;

    void append(const LogMessage& message);
    void applyFilters();
    bool passes(const LogMessage& message) const;

    std::shared_ptr<Sink> m_sink;
    std::vector<LogMessage> m_messages;
    QComboBox* m_level;
    QLineEdit* m_category;
    QTableWidget* m_table;
};

}  // namespace Tesselon
