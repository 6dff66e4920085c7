#include "host/gui/LogView.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Tesselon {
namespace {

// Enough for a session; older messages scroll away instead of growing the table without bound.
constexpr std::size_t keptMessages = 5000;

QColor levelColour(int level)
{
    switch (level) {
        case Log::Error:
            return QColor(235, 80, 70);
        case Log::Warning:
            return QColor(240, 180, 60);
        case Log::Debug:
            return QColor(140, 140, 140);
        default:
            return QColor(210, 210, 210);
    }
}

}  // namespace

class LogView::Sink : public LogSink
{
public:
    explicit Sink(LogView* view) : m_view(view) {}

    void write(const LogMessage& message) override
    {
        QPointer<LogView> view = m_view;
        QtHelpers::runOnMainThread(
            [view, message] {
                if (view)
                    view->append(message);
            },
            0, m_view);
    }

private:
    LogView* m_view;
};

LogView::LogView(QWidget* parent)
    : QWidget(parent),
      m_sink(std::make_shared<Sink>(this)),
      m_level(new QComboBox),
      m_category(new QLineEdit),
      m_table(new QTableWidget(0, 3))
{
    for (int level = Log::Debug; level <= Log::Error; ++level)
        m_level->addItem(Log::levelName(level), level);
    m_level->setCurrentIndex(Log::Info - Log::Debug);
    m_category->setPlaceholderText(tr("Category"));
    m_table->setHorizontalHeaderLabels({tr("Level"), tr("Category"), tr("Message")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(tr("Show from")));
    filters->addWidget(m_level);
    filters->addWidget(m_category, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(filters);
    layout->addWidget(m_table);

    connect(m_level, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { applyFilters(); });
    connect(m_category, &QLineEdit::textChanged, this, [this] { applyFilters(); });
    Log::addSink(m_sink);
}

LogView::~LogView()
{
    Log::removeSink(m_sink);
}

int LogView::visibleRowCount() const
{
    int visible = 0;
    for (int row = 0; row < m_table->rowCount(); ++row)
        visible += m_table->isRowHidden(row) ? 0 : 1;
    return visible;
}

void LogView::setMinimumLevel(int level)
{
    m_level->setCurrentIndex(m_level->findData(level));
}

void LogView::setCategoryFilter(const QString& text)
{
    m_category->setText(text);
}

void LogView::append(const LogMessage& message)
{
    if (m_messages.size() == keptMessages) {
        m_messages.erase(m_messages.begin());
        m_table->removeRow(0);
    }
    m_messages.push_back(message);
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QString texts[] = {Log::levelName(message.level), QString::fromStdString(message.category),
                             QString::fromStdString(message.text)};
    for (int column = 0; column < 3; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setForeground(levelColour(message.level));
        item->setToolTip(texts[2]);
        m_table->setItem(row, column, item);
    }
    m_table->setRowHidden(row, !passes(message));
    m_table->scrollToBottom();
}

void LogView::applyFilters()
{
    for (int row = 0; row < m_table->rowCount(); ++row)
        m_table->setRowHidden(row, !passes(m_messages[static_cast<std::size_t>(row)]));
}

bool LogView::passes(const LogMessage& message) const
{
    const QString category = m_category->text().trimmed();
    return message.level >= m_level->currentData().toInt() &&
           (category.isEmpty() ||
            QString::fromStdString(message.category).contains(category, Qt::CaseInsensitive));
}

}  // namespace Tesselon
