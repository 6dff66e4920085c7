#include "host/gui/ScriptHost.h"

#include "host/core/base/CapturingLogSink.h"
#include "host/core/base/Log.h"
#include "host/gui/ScriptApi.h"

#include <QFile>
#include <QJSEngine>
#include <QQmlEngine>
#include <QStringList>

#include <algorithm>

namespace Tesselon {
namespace {

// Enough for what a script's steps log; older lines are dropped.
constexpr std::size_t recentLogLines = 2000;

const QString preludeName = "tesselon-prelude";
// What the script interface adds in JavaScript: a function with any number of arguments, which an
// invokable method cannot take, the check every test script makes, and choosing a combo box item by the
// start of its text, which a box's own invokable methods do not offer. Errors thrown here are reported
// at the caller's line.
const QString prelude =
    "tesselon.select = function () { tesselon.selectData([].concat.apply([], arguments)); };\n"
    "tesselon.check = function (condition, message) { if (!condition) throw new Error(message); };\n"
    "tesselon.choose = function (box, prefix) {\n"
    "  for (var i = 0; i < box.count; ++i) { box.currentIndex = i; if (box.currentText.indexOf(prefix) === "
    "0) return; }\n"
    "  throw new Error('No item starting with \"' + prefix + '\" in ' + box.objectName + '.');\n"
    "};";

// Set by a statement appended to every program, so a program that ends early has thrown, even a value
// that is no error object. A `var` statement leaves the program's value as it was.
const QString completedFlag = "__tesselonScriptCompleted";

ScriptHost::Outcome failure(const QString& message)
{
    ScriptHost::Outcome outcome;
    outcome.ok = false;
    outcome.error = message;
    return outcome;
}

// The error's location in the user's program of `lineCount` lines: its innermost frame outside the prelude.
QString errorLocation(const QJSValue& error, const QString& fileName, int lineCount)
{
    // A construct left open at the end is found on the appended line; the user's last line is meant.
    const auto located = [&](int line) {
        return fileName + ":" + QString::number(std::min(line, lineCount));
    };
    // Frames read "function@url:line", innermost first.
    for (const QString& frame : error.property("stack").toString().split('\n')) {
        const int lineStart = frame.lastIndexOf(':');
        if (lineStart < 0 || frame.contains(preludeName))
            continue;
        bool isNumber = false;
        const int line = frame.mid(lineStart + 1).toInt(&isNumber);
        if (isNumber)
            return located(line);
    }
    const QJSValue line = error.property("lineNumber");
    return line.isNumber() ? located(line.toInt()) : fileName;
}

}  // namespace

ScriptHost::ScriptHost(MainWindow& window)
    : m_log(std::make_shared<CapturingLogSink>(recentLogLines)), m_engine(std::make_unique<QJSEngine>())
{
    Log::addSink(m_log);
    m_api = std::make_unique<ScriptApi>(window, *m_engine, m_log);
    // Owned here; the engine's garbage collector must not delete it.
    QQmlEngine::setObjectOwnership(m_api.get(), QQmlEngine::CppOwnership);
    m_engine->installExtensions(QJSEngine::ConsoleExtension);
    m_engine->globalObject().setProperty("tesselon", m_engine->newQObject(m_api.get()));
    m_engine->evaluate(prelude, preludeName);
}

ScriptHost::~ScriptHost()
{
    Log::removeSink(m_log);
}

ScriptHost::Outcome ScriptHost::runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QString("%1: cannot read the script (%2).").arg(path, file.errorString()));
    return run(QString::fromUtf8(file.readAll()), path);
}

ScriptHost::Outcome ScriptHost::run(const QString& program, const QString& fileName)
{
    if (m_running)
        return failure(fileName + ": another script is running; run this one when it has finished.");
    m_running = true;
    m_api->resetQuit();
    QJSValue global = m_engine->globalObject();
    global.setProperty(completedFlag, false);
    m_api->setClosingDialogs(true);
    const QJSValue value = m_engine->evaluate(program + "\n;var " + completedFlag + " = true;", fileName, 1);
    m_api->setClosingDialogs(false);
    const bool completed = global.property(completedFlag).toBool();
    m_running = false;

    Outcome outcome;
    outcome.exitCode = m_api->quitCode();
    if (outcome.exitCode) {
        m_engine->setInterrupted(false);
        return outcome;
    }
    if (value.isError())
        return failure(errorLocation(value, fileName, program.count('\n') + 1) + ": " + value.toString());
    if (!completed)
        return failure(fileName + ": uncaught exception: " + value.toString());
    outcome.value = value;
    return outcome;
}

QString ScriptHost::describe(const QJSValue& value)
{
    const bool plain = value.isArray() || (value.isObject() && !value.isQObject() && !value.isCallable() &&
                                           !value.isError() && !value.isDate() && !value.isRegExp());
    if (plain) {
        const QJSValue json = m_engine->globalObject().property("JSON").property("stringify").call({value});
        if (json.isString())
            return json.toString();
    }
    return value.toString();
}

}  // namespace Tesselon
