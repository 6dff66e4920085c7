#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace Tesselon {

class ScriptHost;

/// The window's script console: an editor, a Run button (or Ctrl+Return) and an output pane that shows
/// each run's value or error. It runs on the same host as `tesselon gui --script`.
class ScriptConsole : public QWidget
{
    Q_OBJECT

public:
    /// The host must outlive the console.
    explicit ScriptConsole(ScriptHost& host, QWidget* parent = nullptr);

    /// Runs the editor's text and appends the outcome to the output; a `tesselon.quit(code)` ends the
    /// application with that code.
    void run();

private:
    ScriptHost& m_host;
    QPlainTextEdit* m_editor;
    QPushButton* m_runButton;
    QPlainTextEdit* m_output;
};

}  // namespace Tesselon
