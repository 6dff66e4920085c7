#pragma once

#include "host/gui/MainWindow.h"

#include <Eigen/Core>
#include <QEvent>
#include <QJSValue>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QJSEngine;

namespace Tesselon {

class GlSliceView;

class CapturingLogSink;
class Configurable;
class Data;
class TrackingStream;

/// The global `tesselon` of window scripts: the window's data, menus, panels, widgets, parameters and
/// tracked instruments, for end-to-end tests and a user's automation. A wrong argument throws a script
/// error that names what was not found and what there is instead. See "Scripting the window" in the
/// README for the whole interface.
class ScriptApi : public QObject
{
    Q_OBJECT

public:
    /// The window, the engine and the log sink must outlive this object.
    ScriptApi(MainWindow& window, QJSEngine& engine, std::shared_ptr<CapturingLogSink> log);

    /// [{name, kind, index}] of the session's data, in the list's order. Wherever data is asked for, a name
    /// means the first data of that name, and an entry of this list (or its index) that very data.
    Q_INVOKABLE QJSValue data();
    /// Selects exactly these data (one or an array); nothing clears.
    Q_INVOKABLE void selectData(const QJSValue& names = {});
    /// Runs "Menu;Entry" (texts as shown, without the '&' of shortcuts); returns the panel it created or
    /// null. A dialog the entry opens is closed and becomes the error, since a script cannot answer it.
    Q_INVOKABLE QJSValue menu(const QJSValue& path = {});
    /// [{title, panel, algorithm}] of the open panels, oldest first; `algorithm` is the factory id.
    Q_INVOKABLE QJSValue panels();
    /// The object named `objectName` inside the panel (a panel object or title; null: the whole window).
    Q_INVOKABLE QJSValue widget(const QJSValue& panel = {}, const QJSValue& objectName = {});
    /// A parameter of the panel's algorithm, else of its stream: a number, a boolean, an array for a
    /// 3-vector, text otherwise.
    Q_INVOKABLE QJSValue parameter(const QJSValue& panel = {}, const QJSValue& key = {});
    /// Sets the parameter as an edit in the panel would (a choice may be given by its text) and returns
    /// the value it took, which a range may have clamped.
    Q_INVOKABLE QJSValue setParameter(const QJSValue& panel = {}, const QJSValue& key = {},
                                      const QJSValue& value = {});
    /// [{id, name, model, quality, valid, position: [x, y, z], pose: 16 numbers column-major}] of the
    /// latest sample of a tracking stream, given as data or by its panel; poses map the instrument
    /// into the stream's frame (mm).
    Q_INVOKABLE QJSValue instruments(const QJSValue& stream = {});
    /// The calibration (tipToMarker) a tracking stream holds for an instrument: 16 numbers, column-major,
    /// or null when it holds none.
    Q_INVOKABLE QJSValue calibration(const QJSValue& stream = {}, const QJSValue& instrument = {});
    /// The pose of slice view 0 (axial), 1 (coronal) or 2 (sagittal): 16 numbers, column-major.
    Q_INVOKABLE QJSValue sliceView(const QJSValue& index = {});
    /// The pose of data (its matrix into the world): 16 numbers, column-major.
    Q_INVOKABLE QJSValue matrix(const QJSValue& data = {});
    /// The 3D view's camera pose (view to world; it looks along its -z): 16 numbers, column-major.
    Q_INVOKABLE QJSValue camera();
    /// [{name, kind, visible}] of the objects the 3D view shows, annotations and panels' own alike, in the
    /// order they were added; `kind` as in `annotations`.
    Q_INVOKABLE QJSValue viewObjects();
    /// [{name, kind, points: [[x, y, z], ...], parent, visible}] of the annotations (lines, curves, objects
    /// panels placed), oldest first; `kind` is "line", "curve", "points" or "object", `parent` the name of
    /// the data it is attached to or null. With data: only those attached to it.
    Q_INVOKABLE QJSValue annotations(const QJSValue& data = {});
    /// Removes and deletes the first annotation of that name, as closing it in the window would.
    Q_INVOKABLE void removeAnnotation(const QJSValue& name = {});
    /// Moves the three slice planes to pass through a world point [x, y, z].
    Q_INVOKABLE void centreSlices(const QJSValue& point = {});
    /// Clicks the left button in slice view 0, 1 or 2 where a world point [x, y, z] appears (projected
    /// onto the plane), as a user would.
    Q_INVOKABLE void click(const QJSValue& view = {}, const QJSValue& point = {});
    /// Drags with the left button in a slice view from one world point to another.
    Q_INVOKABLE void drag(const QJSValue& view = {}, const QJSValue& from = {}, const QJSValue& to = {});
    /// Runs the event loop for this long, so streams emit and panels update.
    Q_INVOKABLE void wait(const QJSValue& milliseconds = {});
    /// The recent log, oldest first, as "[level] category: text" lines.
    Q_INVOKABLE QJSValue log();
    /// Writes a PNG of the window, views included, or of one panel (a panel object or title).
    Q_INVOKABLE void screenshot(const QJSValue& path = {}, const QJSValue& panel = {});
    /// ["title: text"] of the modal dialogs closed since the last call, oldest first: while a script runs,
    /// a dialog (a message box a button opened) is closed at once, since no script can answer it.
    Q_INVOKABLE QJSValue dialogs();
    /// Ends the script at once; the program then exits with this code.
    Q_INVOKABLE void quit(const QJSValue& code = 0);

    /// The code asked for by `quit` in the current run, if any.
    std::optional<int> quitCode() const { return m_quitCode; }
    /// Forgets the quit request before a new run.
    void resetQuit() { m_quitCode.reset(); }
    /// While on, modal dialogs are closed as they open (see `dialogs`); the host turns it on for a run.
    void setClosingDialogs(bool closing);

private:
    /// These throw a script error through the engine and return null when the argument names nothing.
    const MainWindow::Panel* panelOf(const QJSValue& panel, const char* call, const char* argument = "panel");
    Data* dataOf(const QJSValue& data);
    /// Whether the argument is text; throws naming the call and the argument when not.
    bool isText(const QJSValue& value, const char* call, const char* argument);
    QStringList selectedNames() const;
    /// The enabled entry at "Menu;Entry"; null after throwing.
    QAction* menuAction(const QString& path);
    TrackingStream* trackingStreamOf(const QJSValue& stream);
    /// Slice view `index`; null after throwing.
    GlSliceView* sliceViewOf(const QJSValue& index, const char* call);
    /// A world point [x, y, z]; nothing after throwing.
    std::optional<Eigen::Vector3d> pointOf(const QJSValue& point, const char* call, const char* argument);
    /// Sends a mouse event to a slice view's widget at the world point's pixel.
    void sendMouse(GlSliceView* view, QEvent::Type type, const Eigen::Vector3d& world);
    /// The algorithm, or its stream, that has a parameter `key`; null after throwing.
    Configurable* ownerOfParameter(const MainWindow::Panel& panel, const QString& key);

    QJSValue wrap(QObject* object);
    void closeModalDialog();
    QJSValue fail(const QString& message);

    MainWindow& m_window;
    QJSEngine& m_engine;
    std::shared_ptr<CapturingLogSink> m_log;
    std::optional<int> m_quitCode;
    QTimer m_dialogWatch;
    QStringList m_closedDialogs;
};

}  // namespace Tesselon
