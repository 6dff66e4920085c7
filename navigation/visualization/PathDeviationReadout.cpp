#include "navigation/visualization/PathDeviationReadout.h"

#include "host/gui/QtWidgetHelpers.h"
#include "navigation/visualization/PathDeviation.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace Tesselon {

using QtHelpers::named;

PathDeviationReadout::PathDeviationReadout(QWidget* parent)
    : QGroupBox(tr("Planned vs actual"), parent),
      m_text(named(new QLabel(tr("No path selected"), this), "label_readout")),
      m_file(named(new QLineEdit(this), "lineEdit_readoutFile")),
      m_record(named(new QPushButton(tr("Record"), this), "pushButton_recordReadout"))
{
    setObjectName("groupBox_readout");
    m_text->setWordWrap(true);
    m_file->setPlaceholderText(tr("CSV file to record to"));
    m_record->setCheckable(true);
    auto* choose = named(new QToolButton(this), "toolButton_chooseReadoutFile");
    choose->setText(QStringLiteral("…"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_text, 0, 0, 1, 3);
    layout->addWidget(m_file, 1, 0);
    layout->addWidget(choose, 1, 1);
    layout->addWidget(m_record, 1, 2);
    layout->setColumnStretch(0, 1);
    connect(m_record, &QPushButton::toggled, this, &PathDeviationReadout::onRecord);
    connect(choose, &QToolButton::clicked, this, &PathDeviationReadout::chooseFile);
}

void PathDeviationReadout::showDeviation(const Spline* path,
                                         const std::optional<Eigen::Matrix4d>& toolToWorld)
{
    const std::optional<PathDeviation> deviation =
        path && toolToWorld ? PathDeviation::measure(*path, *toolToWorld) : std::nullopt;
    if (!deviation) {
        m_text->setText(path ? tr("No tool pose") : tr("No path selected"));
        return;
    }
    m_text->setText(QString::fromStdString(deviation->summary()));
    if (!m_recorder.isRecording())
        return;
    m_recorder.add(static_cast<double>(m_clock.nsecsElapsed()) * 1e-9, *deviation);
    // A failed write ends the recording (the recorder logs why); the button follows.
    if (!m_recorder.isRecording())
        m_record->setChecked(false);
}

void PathDeviationReadout::onRecord(bool record)
{
    if (record && !m_recorder.start(m_file->text().toStdString())) {
        const QSignalBlocker blocker(m_record);
        m_record->setChecked(false);
        return;
    }
    if (record)
        m_clock.start();
    else
        m_recorder.stop();
    m_record->setText(record ? tr("Stop recording") : tr("Record"));
}

void PathDeviationReadout::chooseFile()
{
    const QString file = QFileDialog::getSaveFileName(this, tr("Record the read-out to"), m_file->text(),
                                                      tr("CSV files (*.csv)"));
    if (!file.isEmpty())
        m_file->setText(file);
}

}  // namespace Tesselon
