#pragma once

#include <QJSValue>
#include <QString>

#include <memory>
#include <optional>

class QJSEngine;

namespace Tesselon {

class CapturingLogSink;
class MainWindow;
class ScriptApi;

/// Runs JavaScript against a main window through Qt's engine, with the global `tesselon` (`ScriptApi`).
/// `tesselon gui --script` and the window's script console share one host, so globals declared with `var`
/// persist from one run to the next. Runs on the GUI thread.
class ScriptHost
{
public:
    /// What a run came to.
    struct Outcome
    {
        /// False after a syntax error, an uncaught exception or a file that cannot be read.
        bool ok = true;
        /// "FILE:LINE: message" (without a line when a thrown value carries none); empty when ok.
        QString error;
        /// The value of the last statement; undefined after an error or a quit.
        QJSValue value;
        /// The code given to `tesselon.quit`, if the script called it.
        std::optional<int> exitCode;
    };

    /// Starts keeping the recent log for `tesselon.log()`. The window must outlive the host.
    explicit ScriptHost(MainWindow& window);
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    /// Runs the program; `fileName` names it in error messages. A run started while another one waits
    /// (from the console during a script's `wait`) is refused with an error.
    Outcome run(const QString& program, const QString& fileName);
    /// Reads and runs a UTF-8 file, named in errors as given.
    Outcome runFile(const QString& path);
    bool isRunning() const { return m_running; }

    /// A value as the console shows it: JSON for plain arrays and objects, text otherwise.
    QString describe(const QJSValue& value);

private:
    std::shared_ptr<CapturingLogSink> m_log;
    std::unique_ptr<QJSEngine> m_engine;
    std::unique_ptr<ScriptApi> m_api;
    bool m_running = false;
};

}  // namespace Tesselon
