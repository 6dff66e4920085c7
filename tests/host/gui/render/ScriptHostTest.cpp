#include "host/gui/ScriptHost.h"

#include "host/app/Session.h"
#include "host/core/base/Log.h"
#include "host/gui/MainWindow.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

class ScriptHostTest : public testing::Test
{
protected:
    ScriptHost::Outcome run(const QString& program) { return m_window.scriptHost().run(program, "t.js"); }

    Session m_session{{}};
    MainWindow m_window{m_session, {}};
};

TEST_F(ScriptHostTest, ErrorsNameTheLineOfTheScriptThatFailedAndWhatWasWrong)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"var a = 1;\n\nvar b = ;", "t.js:3: SyntaxError: Expected token `numeric literal'"},
        {"function find() {\n  return tesselon.widget(null, 'nope');\n}\nfind();",
         "t.js:2: Error: No widget named \"nope\" in the window."},
        // Functions the interface defines in JavaScript report their caller's line.
        {"\ntesselon.select('Needle');", "t.js:2: Error: No data named \"Needle\"; the data are none."},
        {"tesselon.check(1 > 2, 'one is not more than two');", "t.js:1: Error: one is not more than two"},
        {"throw 'boom';", "t.js: uncaught exception: boom"},
        {"tesselon.menu();", "t.js:1: Error: tesselon.menu(path): path is missing."},
        {"tesselon.menu('Visualization;Tool Visualization');",
         "t.js:1: Error: No menu entry \"Visualization;Tool Visualization\" for the selection none: "
         "\"Visualization\" offers none."},
        {"tesselon.menu('Tools;Calibrate');",
         "t.js:1: Error: No menu entry \"Tools;Calibrate\" for the selection none: the menu bar offers "
         "\"File\", "
         "\"View\", \"Annotations\", \"Streaming\", \"Registration\", \"Visualization\"."},
        {"tesselon.parameter('Tool Visualization', 'mesh');",
         "t.js:1: Error: tesselon.parameter(panel, key): \"Tool Visualization\" is no open panel; the panels "
         "are none."},
        {"tesselon.wait(-5);",
         "t.js:1: Error: tesselon.wait(milliseconds): milliseconds must be a number of 0 or more, not -5."},
        // A dialog would wait for an answer forever; it is closed and becomes the error.
        {"tesselon.menu('File;Open Volume');",
         "t.js:1: Error: The menu entry \"File;Open Volume\" opened a dialog, which a script cannot answer: "
         "Open Volume"},
    };
    for (const auto& [program, error] : cases) {
        const ScriptHost::Outcome outcome = run(program);
        EXPECT_FALSE(outcome.ok) << program.toStdString();
        EXPECT_EQ(outcome.error.toStdString(), error.toStdString());
    }
}

TEST_F(ScriptHostTest, QuitEndsTheScriptUncatchablyAndTheEngineRunsOnAfterwards)
{
    const ScriptHost::Outcome quit = run("try { tesselon.quit(3); } catch (e) {}\nthrow 'not reached';");
    EXPECT_TRUE(quit.ok);
    EXPECT_EQ(quit.exitCode, 3);

    // The completion check appended to every program leaves the program's own value.
    const ScriptHost::Outcome next = run("var a = 2;\na * 3");
    EXPECT_TRUE(next.ok) << next.error.toStdString();
    EXPECT_FALSE(next.exitCode);
    EXPECT_EQ(next.value.toInt(), 6);
    EXPECT_EQ(run("a + 1").value.toInt(), 3) << "globals persist between runs, as the console needs";
}

TEST_F(ScriptHostTest, LogReturnsTheRecentLinesWithLevelAndCategory)
{
    Log::warning("ScriptHostTest", "Something to read back.");
    EXPECT_TRUE(run("tesselon.log().indexOf('[warning] ScriptHostTest: Something to read back.') >= 0")
                    .value.toBool());
}

}  // namespace
}  // namespace Tesselon
