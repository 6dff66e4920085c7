#include "host/gui/ScriptConsole.h"

#include "host/app/Session.h"
#include "host/gui/MainWindow.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

TEST(ScriptConsole, ShowsEachRunsValueAsJsonOrItsErrorAndKeepsGlobals)
{
    Session session({});
    MainWindow window(session, {});
    auto* console = window.findChild<ScriptConsole*>();
    auto* editor = console->findChild<QPlainTextEdit*>("scriptEditor");
    auto* output = console->findChild<QPlainTextEdit*>("scriptOutput");

    for (const char* program : {"var names = tesselon.data().map(function (d) { return d.name; });\nnames",
                                "names.length + 1", "tesselon.menu(", "tesselon.quit"}) {
        editor->setPlainText(program);
        console->findChild<QPushButton*>("runScript")->click();
    }
    EXPECT_EQ(output->toPlainText().toStdString(),
              "> var names = tesselon.data().map(function (d) { return d.name; }); ...\n[]\n"
              "> names.length + 1\n1\n"
              "> tesselon.menu(\nconsole:1: SyntaxError: Expected token `)'\n"
              "> tesselon.quit\nfunction() { [native code] }");
}

}  // namespace
}  // namespace Tesselon
