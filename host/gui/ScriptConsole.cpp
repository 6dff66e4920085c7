#include "host/gui/ScriptConsole.h"

#include "host/gui/ScriptHost.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

namespace Tesselon {

ScriptConsole::ScriptConsole(ScriptHost& host, QWidget* parent)
    : QWidget(parent),
      m_host(host),
      m_editor(new QPlainTextEdit),
      m_runButton(new QPushButton(tr("Run"))),
      m_output(new QPlainTextEdit)
{
    m_editor->setObjectName("scriptEditor");
    m_runButton->setObjectName("runScript");
    m_output->setObjectName("scriptOutput");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_editor->setFont(fixed);
    m_output->setFont(fixed);
    m_output->setReadOnly(true);
    m_editor->setPlaceholderText(tr("JavaScript, for example tesselon.data(); Ctrl+Return runs it."));
    m_runButton->setToolTip(tr("Runs the script (Ctrl+Return)"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_editor);
    splitter->addWidget(m_output);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_runButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(m_runButton, &QPushButton::clicked, this, &ScriptConsole::run);
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Return")), m_editor);
    shortcut->setContext(Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, &ScriptConsole::run);
}

void ScriptConsole::run()
{
    const QString program = m_editor->toPlainText();
    if (program.trimmed().isEmpty())
        return;
    m_output->appendPlainText("> " + program.section('\n', 0, 0) + (program.contains('\n') ? " ..." : ""));
    // A script that waits keeps the event loop going; a second run then would start inside the first.
    m_runButton->setEnabled(false);
    const ScriptHost::Outcome outcome = m_host.run(program, "console");
    m_runButton->setEnabled(true);
    if (outcome.exitCode) {
        QApplication::exit(*outcome.exitCode);
        return;
    }
    m_output->appendPlainText(outcome.ok ? m_host.describe(outcome.value) : outcome.error);
}

}  // namespace Tesselon
