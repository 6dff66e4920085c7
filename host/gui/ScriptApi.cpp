#include "host/gui/ScriptApi.h"

#include "host/app/Session.h"
#include "host/core/base/CapturingLogSink.h"
#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/model/Algorithm.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSpline.h"
#include "host/gl/GlVolumeView.h"
#include "host/gui/AlgorithmController.h"
#include "host/gui/DefaultControllerDecorator.h"
#include "host/gui/DisplayWidget.h"
#include "host/gui/ScriptValues.h"
#include "host/gui/StreamController.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/StreamAlgorithm.h"
#include "host/stream/TrackingStream.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QImage>
#include <QJSEngine>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QTimer>

#include <Eigen/Core>

#include <algorithm>

namespace Tesselon {
namespace {

// How often a menu entry's modal dialog is looked for; it cannot be answered by the script.
constexpr int dialogPollMilliseconds = 50;

// A menu text as the user reads it: without shortcut markers and the ellipsis of entries that ask more.
QString plainMenuText(QString text)
{
    text.remove('&');
    if (text.endsWith("..."))
        text.chop(3);
    return text;
}

QString quotedList(const QStringList& texts)
{
    return texts.isEmpty() ? QString("none") : "\"" + texts.join("\", \"") + "\"";
}

QAction* findAction(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* action : actions)
        if (!action->isSeparator() && plainMenuText(action->text()) == plainMenuText(text))
            return action;
    return nullptr;
}

QStringList actionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        if (!action->isSeparator() && action->isEnabled())
            texts << plainMenuText(action->text());
    return texts;
}

QString kindOf(const GlObject& object)
{
    if (dynamic_cast<const GlLine*>(&object))
        return "line";
    if (dynamic_cast<const GlSpline*>(&object))
        return "curve";
    if (dynamic_cast<const GlPoint*>(&object))
        return "points";
    return "object";
}

QString titleOf(const MainWindow::Panel& panel)
{
    if (const auto* decorator = qobject_cast<const DefaultControllerDecorator*>(panel.widget))
        return decorator->title();
    return panel.controller->title();
}

QWidget* contentOf(const MainWindow::Panel& panel)
{
    QWidget* content = panel.controller->widget();
    return content ? content : panel.widget;
}

Stream* streamOf(const MainWindow::Panel& panel)
{
    if (const auto* controller = dynamic_cast<const StreamController*>(panel.controller))
        return controller->stream();
    // The session takes an algorithm's stream before its panel is made.
    if (const auto* algorithm = dynamic_cast<const StreamAlgorithm*>(panel.algorithm))
        return algorithm->createdStream();
    return nullptr;
}

QStringList parameterNames(const Configurable* configurable)
{
    QStringList names;
    if (configurable)
        for (const ParameterBase* parameter : configurable->parameters())
            names << QString::fromStdString(parameter->name());
    return names;
}

bool setParameterText(Configurable& owner, ParameterBase& parameter, const std::string& text)
{
    auto* stream = dynamic_cast<Stream*>(&owner);
    // An algorithm's parameter is edited as its panel edits it.
    if (!stream)
        return parameter.setText(text);
    // A stream reads its settings on its own thread under its own lock and reacts to a new configuration,
    // so the value goes through `configure`; a refusal is the parameter's logged warning.
    const auto refusals = std::make_shared<CapturingLogSink>();
    Log::addSink(refusals);
    Properties change;
    change.setParamText(parameter.name(), text);
    stream->configure(&change);
    Log::removeSink(refusals);
    return !refusals->contains("Rejected " + parameter.name() + " \"");
}

}  // namespace

ScriptApi::ScriptApi(MainWindow& window, QJSEngine& engine, std::shared_ptr<CapturingLogSink> log)
    : m_window(window), m_engine(engine), m_log(std::move(log))
{
    connect(&m_dialogWatch, &QTimer::timeout, this, &ScriptApi::closeModalDialog);
}

void ScriptApi::setClosingDialogs(bool closing)
{
    closing ? m_dialogWatch.start(dialogPollMilliseconds) : m_dialogWatch.stop();
}

void ScriptApi::closeModalDialog()
{
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog)
        return;
    const auto* box = qobject_cast<QMessageBox*>(dialog);
    m_closedDialogs << dialog->windowTitle() + (box ? ": " + box->text() : QString());
    dialog->reject();
}

QJSValue ScriptApi::dialogs()
{
    QJSValue list = m_engine.toScriptValue(m_closedDialogs);
    m_closedDialogs.clear();
    return list;
}

QJSValue ScriptApi::fail(const QString& message)
{
    m_engine.throwError(message);
    return QJSValue(QJSValue::NullValue);
}

QJSValue ScriptApi::wrap(QObject* object)
{
    if (!object)
        return QJSValue(QJSValue::NullValue);
    // The window owns its widgets; the script's garbage collector must never delete one.
    QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
    return m_engine.newQObject(object);
}

QJSValue ScriptApi::data()
{
    const std::vector<Data*> all = m_window.session().data();
    QJSValue list = m_engine.newArray(static_cast<uint>(all.size()));
    for (std::size_t i = 0; i < all.size(); ++i) {
        QJSValue entry = m_engine.newObject();
        entry.setProperty("name", QString::fromStdString(all[i]->name()));
        entry.setProperty("kind", ScriptValues::kindName(all[i]->kind()));
        entry.setProperty("index", static_cast<int>(i));
        list.setProperty(static_cast<quint32>(i), entry);
    }
    return list;
}

Data* ScriptApi::dataOf(const QJSValue& data)
{
    const std::vector<Data*> all = m_window.session().data();
    const QJSValue index = data.isObject() ? data.property("index") : data;
    if (index.isNumber()) {
        if (index.toInt() >= 0 && index.toInt() < static_cast<int>(all.size()))
            return all[static_cast<std::size_t>(index.toInt())];
        fail(QString("No data at index %1; there are %2.").arg(index.toString()).arg(all.size()));
        return nullptr;
    }
    QStringList names;
    for (Data* candidate : all) {
        if (QString::fromStdString(candidate->name()) == data.toString())
            return candidate;
        names << QString::fromStdString(candidate->name());
    }
    fail(QString("No data named \"%1\"; the data are %2.").arg(data.toString(), quotedList(names)));
    return nullptr;
}

void ScriptApi::selectData(const QJSValue& names)
{
    std::vector<Data*> selection;
    const int count = names.isArray() ? names.property("length").toInt() : 1;
    for (int i = 0; i < count; ++i) {
        const QJSValue name = names.isArray() ? names.property(static_cast<quint32>(i)) : names;
        Data* data = dataOf(name);
        if (!data)
            return;
        selection.push_back(data);
    }
    m_window.select(selection);
}

QStringList ScriptApi::selectedNames() const
{
    QStringList names;
    const DataList selection = m_window.selection();
    for (const Data* data : selection.getAll())
        names << QString::fromStdString(data->name());
    return names;
}

bool ScriptApi::isText(const QJSValue& value, const char* call, const char* argument)
{
    if (value.isString())
        return true;
    fail(QString("%1: %2 %3.")
             .arg(call, argument,
                  value.isUndefined() ? "is missing" : "must be text, not " + value.toString()));
    return false;
}

QAction* ScriptApi::menuAction(const QString& path)
{
    QList<QAction*> actions = m_window.menuBar()->actions();
    QAction* action = nullptr;
    QString walked;
    for (const QString& part : path.split(';')) {
        if (action && action->menu())
            actions = action->menu()->actions();
        action = findAction(actions, part);
        if (!action) {
            fail(QString("No menu entry \"%1\" for the selection %2: %3 offers %4.")
                     .arg(path, quotedList(selectedNames()),
                          walked.isEmpty() ? QString("the menu bar") : "\"" + walked + "\"",
                          quotedList(actionTexts(actions))));
            return nullptr;
        }
        walked += (walked.isEmpty() ? "" : ";") + plainMenuText(action->text());
    }
    if (action->menu())
        fail(QString("The menu entry \"%1\" is a menu; name one of its entries.").arg(path));
    else if (!action->isEnabled())
        fail(QString("The menu entry \"%1\" is disabled.").arg(path));
    return action->menu() || !action->isEnabled() ? nullptr : action;
}

QJSValue ScriptApi::menu(const QJSValue& pathValue)
{
    if (!isText(pathValue, "tesselon.menu(path)", "path"))
        return QJSValue(QJSValue::NullValue);
    const QString path = pathValue.toString();
    QAction* action = menuAction(path);
    if (!action)
        return QJSValue(QJSValue::NullValue);
    std::vector<const QWidget*> panelsBefore;
    for (const MainWindow::Panel& panel : m_window.panels())
        panelsBefore.push_back(panel.widget);
    const auto dialogsBefore = m_closedDialogs.size();
    action->trigger();
    // A panel added to the window is shown by a queued call: let it run, so the panel is as a user sees it.
    QApplication::processEvents();
    if (m_closedDialogs.size() > dialogsBefore)
        return fail(QString("The menu entry \"%1\" opened a dialog, which a script cannot answer: %2")
                        .arg(path, m_closedDialogs.back()));
    // A panel closed meanwhile (a finished wizard) leaves the list as another opens.
    for (const MainWindow::Panel& panel : m_window.panels())
        if (std::find(panelsBefore.begin(), panelsBefore.end(), panel.widget) == panelsBefore.end())
            return wrap(contentOf(panel));
    // Algorithm entries carry their factory's id; one that shows no panel was not created.
    if (action->data().isValid())
        return fail(QString("The menu entry \"%1\" created no algorithm; the log says why.").arg(path));
    return QJSValue(QJSValue::NullValue);
}

QJSValue ScriptApi::panels()
{
    const auto& open = m_window.panels();
    QJSValue list = m_engine.newArray(static_cast<uint>(open.size()));
    for (std::size_t i = 0; i < open.size(); ++i) {
        QJSValue entry = m_engine.newObject();
        entry.setProperty("title", titleOf(open[i]));
        entry.setProperty("panel", wrap(contentOf(open[i])));
        entry.setProperty("algorithm", open[i].algorithm
                                           ? QString::fromStdString(open[i].algorithm->factoryInfo().id)
                                           : QString());
        list.setProperty(static_cast<quint32>(i), entry);
    }
    return list;
}

const MainWindow::Panel* ScriptApi::panelOf(const QJSValue& panel, const char* call, const char* argument)
{
    if (!panel.isQObject() && !isText(panel, call, argument))
        return nullptr;
    QStringList titles;
    for (const MainWindow::Panel& open : m_window.panels()) {
        const bool same = panel.isQObject()
                              ? panel.toQObject() == contentOf(open) || panel.toQObject() == open.widget
                              : panel.isString() && panel.toString() == titleOf(open);
        if (same)
            return &open;
        titles << titleOf(open);
    }
    fail(QString("%1: %2 is no open panel; the panels are %3.")
             .arg(call, panel.isQObject() ? QString("this object") : "\"" + panel.toString() + "\"",
                  quotedList(titles)));
    return nullptr;
}

QJSValue ScriptApi::widget(const QJSValue& panel, const QJSValue& objectName)
{
    constexpr const char* call = "tesselon.widget(panel, objectName)";
    if (!isText(objectName, call, "objectName"))
        return QJSValue(QJSValue::NullValue);
    QObject* root = &m_window;
    QString where = "the window";
    if (!panel.isNull()) {
        const MainWindow::Panel* found = panelOf(panel, call);
        if (!found)
            return QJSValue(QJSValue::NullValue);
        root = found->widget;
        where = "the panel \"" + titleOf(*found) + "\"";
    }
    QObject* child = root->findChild<QObject*>(objectName.toString());
    if (!child)
        return fail(QString("No widget named \"%1\" in %2.").arg(objectName.toString(), where));
    return wrap(child);
}

Configurable* ScriptApi::ownerOfParameter(const MainWindow::Panel& panel, const QString& key)
{
    const std::string name = key.toStdString();
    if (panel.algorithm && panel.algorithm->parameter(name))
        return panel.algorithm;
    Stream* stream = streamOf(panel);
    if (stream && stream->parameter(name))
        return stream;
    QString known = "its algorithm has " + quotedList(parameterNames(panel.algorithm));
    if (stream)
        known += ", its stream " + quotedList(parameterNames(stream));
    fail(QString("The panel \"%1\" has no parameter \"%2\"; %3.").arg(titleOf(panel), key, known));
    return nullptr;
}

QJSValue ScriptApi::parameter(const QJSValue& panel, const QJSValue& key)
{
    constexpr const char* call = "tesselon.parameter(panel, key)";
    const MainWindow::Panel* found = isText(key, call, "key") ? panelOf(panel, call) : nullptr;
    Configurable* owner = found ? ownerOfParameter(*found, key.toString()) : nullptr;
    if (!owner)
        return QJSValue(QJSValue::NullValue);
    return ScriptValues::fromParameter(m_engine, *owner->parameter(key.toString().toStdString()));
}

QJSValue ScriptApi::setParameter(const QJSValue& panel, const QJSValue& key, const QJSValue& value)
{
    constexpr const char* call = "tesselon.setParameter(panel, key, value)";
    if (value.isUndefined())
        return fail(QString(call) + ": value is missing.");
    const MainWindow::Panel* found = isText(key, call, "key") ? panelOf(panel, call) : nullptr;
    Configurable* owner = found ? ownerOfParameter(*found, key.toString()) : nullptr;
    if (!owner)
        return QJSValue(QJSValue::NullValue);
    ParameterBase& parameter = *owner->parameter(key.toString().toStdString());
    const std::string text = ScriptValues::parameterText(parameter, value);
    if (!setParameterText(*owner, parameter, text))
        return fail(QString("The parameter \"%1\" of the panel \"%2\" refused \"%3\"; it keeps \"%4\".")
                        .arg(key.toString(), titleOf(*found), QString::fromStdString(text),
                             QString::fromStdString(parameter.text())));
    return ScriptValues::fromParameter(m_engine, parameter);
}

TrackingStream* ScriptApi::trackingStreamOf(const QJSValue& stream)
{
    Data* data = nullptr;
    if (!stream.isUndefined() && !stream.isQObject()) {
        data = dataOf(stream);
    } else if (const MainWindow::Panel* panel = panelOf(stream, "tesselon.instruments(stream)", "stream")) {
        data = streamOf(*panel);
        if (!data)
            fail(QString("The panel \"%1\" shows no stream.").arg(titleOf(*panel)));
    }
    if (!data)
        return nullptr;
    auto* tracking = dynamic_cast<TrackingStream*>(data);
    if (!tracking)
        fail(QString("\"%1\" is no tracking stream.").arg(QString::fromStdString(data->name())));
    return tracking;
}

QJSValue ScriptApi::instruments(const QJSValue& stream)
{
    TrackingStream* tracking = trackingStreamOf(stream);
    if (!tracking)
        return QJSValue(QJSValue::NullValue);
    const std::vector<TrackingInstrument> latest = tracking->instruments();
    QJSValue list = m_engine.newArray(static_cast<uint>(latest.size()));
    for (std::size_t i = 0; i < latest.size(); ++i) {
        const TrackingInstrument& instrument = latest[i];
        QJSValue entry = m_engine.newObject();
        entry.setProperty("id", QString::fromStdString(instrument.id.ID()));
        entry.setProperty("name", QString::fromStdString(instrument.id.name()));
        entry.setProperty("model", QString::fromStdString(instrument.id.model()));
        entry.setProperty("quality", instrument.quality);
        entry.setProperty("valid", instrument.visible);
        const Eigen::Vector3d position = instrument.matrix.topRightCorner<3, 1>();
        entry.setProperty("position", ScriptValues::numbers(m_engine, position.data(), 3));
        entry.setProperty("pose", ScriptValues::numbers(m_engine, instrument.matrix.data(), 16));
        list.setProperty(static_cast<quint32>(i), entry);
    }
    return list;
}

QJSValue ScriptApi::calibration(const QJSValue& stream, const QJSValue& instrument)
{
    TrackingStream* tracking = trackingStreamOf(stream);
    if (!tracking || !isText(instrument, "tesselon.calibration(stream, instrument)", "instrument"))
        return QJSValue(QJSValue::NullValue);
    const auto* store = tracking->components().get<InstrumentCalibrationDataComponent>();
    const auto found = store ? store->calibration(instrument.toString().toStdString()) : std::nullopt;
    return found ? ScriptValues::numbers(m_engine, found->matrix.data(), 16) : QJSValue(QJSValue::NullValue);
}

GlSliceView* ScriptApi::sliceViewOf(const QJSValue& index, const char* call)
{
    const bool valid =
        index.isNumber() && index.toInt() >= 0 && index.toInt() < DisplayWidgetMulti::sliceViewCount;
    if (!valid) {
        fail(QString("%1: the view must be 0, 1 or 2, not %2.").arg(call, index.toString()));
        return nullptr;
    }
    return m_window.views().viewSlice(index.toInt());
}

std::optional<Eigen::Vector3d> ScriptApi::pointOf(const QJSValue& point, const char* call,
                                                  const char* argument)
{
    Eigen::Vector3d result;
    const bool triple = point.isArray() && point.property("length").toInt() == 3;
    for (int i = 0; triple && i < 3; ++i)
        result[i] = point.property(static_cast<quint32>(i)).toNumber();
    if (!triple || !result.allFinite()) {
        fail(QString("%1: %2 must be three finite numbers [x, y, z], not %3.")
                 .arg(call, argument, point.toString()));
        return std::nullopt;
    }
    return result;
}

QJSValue ScriptApi::sliceView(const QJSValue& index)
{
    const GlSliceView* view = sliceViewOf(index, "tesselon.sliceView(index)");
    return view ? ScriptValues::numbers(m_engine, view->matrix().data(), 16) : QJSValue(QJSValue::NullValue);
}

QJSValue ScriptApi::matrix(const QJSValue& data)
{
    const Data* found = dataOf(data);
    if (!found)
        return QJSValue(QJSValue::NullValue);
    const Eigen::Matrix4d pose = found->matrix();
    return ScriptValues::numbers(m_engine, pose.data(), 16);
}

QJSValue ScriptApi::camera()
{
    return ScriptValues::numbers(m_engine, m_window.views().view3D()->matrix().data(), 16);
}

QJSValue ScriptApi::viewObjects()
{
    const std::vector<GlObject*>& shown = m_window.views().view3D()->objects();
    QJSValue list = m_engine.newArray(static_cast<uint>(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QJSValue entry = m_engine.newObject();
        entry.setProperty("name", QString::fromStdString(shown[i]->name()));
        entry.setProperty("kind", kindOf(*shown[i]));
        entry.setProperty("visible", shown[i]->isVisible());
        list.setProperty(static_cast<quint32>(i), entry);
    }
    return list;
}

QJSValue ScriptApi::annotations(const QJSValue& data)
{
    const AnnotationModel& model = m_window.application().annotations();
    std::vector<InteractiveObject*> listed = model.getAnnotations();
    if (!data.isUndefined()) {
        const Data* parent = dataOf(data);
        if (!parent)
            return QJSValue(QJSValue::NullValue);
        listed = model.getAnnotations(parent);
    }
    QJSValue list = m_engine.newArray(static_cast<uint>(listed.size()));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const GlObject* object = listed[i]->object();
        QJSValue entry = m_engine.newObject();
        entry.setProperty("name", QString::fromStdString(object->name()));
        entry.setProperty("kind", kindOf(*object));
        QJSValue points = m_engine.newArray();
        if (const auto* annotation = dynamic_cast<const GlPointBasedAnnotation*>(object))
            for (std::size_t k = 0; k < annotation->points().size(); ++k)
                points.setProperty(static_cast<quint32>(k),
                                   ScriptValues::numbers(m_engine, annotation->points()[k].data(), 3));
        entry.setProperty("points", points);
        const Data* parent = model.parent(listed[i]);
        entry.setProperty("parent", parent ? QJSValue(QString::fromStdString(parent->name()))
                                           : QJSValue(QJSValue::NullValue));
        entry.setProperty("visible", object->isVisible());
        list.setProperty(static_cast<quint32>(i), entry);
    }
    return list;
}

void ScriptApi::removeAnnotation(const QJSValue& name)
{
    constexpr const char* call = "tesselon.removeAnnotation(name)";
    if (!isText(name, call, "name"))
        return;
    AnnotationModel& model = m_window.application().annotations();
    QStringList names;
    for (InteractiveObject* annotation : model.getAnnotations()) {
        if (annotation->object()->name() == name.toString().toStdString()) {
            model.remove(annotation, true);
            return;
        }
        names << QString::fromStdString(annotation->object()->name());
    }
    fail(QString("No annotation named \"%1\"; there are: %2.").arg(name.toString(), names.join(", ")));
}

void ScriptApi::centreSlices(const QJSValue& point)
{
    if (const auto world = pointOf(point, "tesselon.centreSlices(point)", "point"))
        m_window.views().centreSlicesAt(*world);
}

void ScriptApi::sendMouse(GlSliceView* view, QEvent::Type type, const Eigen::Vector3d& world)
{
    QWidget* widget = m_window.display().viewWidget(view);
    const std::optional<QPointF> pixel = m_window.display().pixelOf(view, world);
    if (!widget || !pixel)
        return;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, *pixel, widget->mapToGlobal(pixel->toPoint()), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void ScriptApi::click(const QJSValue& view, const QJSValue& point)
{
    constexpr const char* call = "tesselon.click(view, point)";
    GlSliceView* slice = sliceViewOf(view, call);
    const auto world = slice ? pointOf(point, call, "point") : std::nullopt;
    if (!world)
        return;
    sendMouse(slice, QEvent::MouseButtonPress, *world);
    sendMouse(slice, QEvent::MouseButtonRelease, *world);
}

void ScriptApi::drag(const QJSValue& view, const QJSValue& from, const QJSValue& to)
{
    constexpr const char* call = "tesselon.drag(view, from, to)";
    GlSliceView* slice = sliceViewOf(view, call);
    const auto start = slice ? pointOf(from, call, "from") : std::nullopt;
    const auto end = start ? pointOf(to, call, "to") : std::nullopt;
    if (!end)
        return;
    sendMouse(slice, QEvent::MouseButtonPress, *start);
    // A few steps on the way, as a hand moves.
    constexpr int steps = 4;
    for (int step = 1; step <= steps; ++step)
        sendMouse(slice, QEvent::MouseMove, *start + (*end - *start) * step / double(steps));
    sendMouse(slice, QEvent::MouseButtonRelease, *end);
}

void ScriptApi::wait(const QJSValue& milliseconds)
{
    if (!milliseconds.isNumber() || milliseconds.toNumber() < 0) {
        fail("tesselon.wait(milliseconds): milliseconds must be a number of 0 or more, not " +
             milliseconds.toString() + ".");
        return;
    }
    // A loop of its own, so objects deleted later by the panels go during the wait.
    QEventLoop loop;
    QTimer::singleShot(milliseconds.toInt(), &loop, &QEventLoop::quit);
    loop.exec();
}

QJSValue ScriptApi::log()
{
    const std::vector<LogMessage> messages = m_log->messages();
    QJSValue lines = m_engine.newArray(static_cast<uint>(messages.size()));
    for (std::size_t i = 0; i < messages.size(); ++i)
        lines.setProperty(static_cast<quint32>(i), QString("[%1] %2: %3")
                                                       .arg(Log::levelName(messages[i].level),
                                                            QString::fromStdString(messages[i].category),
                                                            QString::fromStdString(messages[i].text)));
    return lines;
}

void ScriptApi::screenshot(const QJSValue& path, const QJSValue& panel)
{
    constexpr const char* call = "tesselon.screenshot(path, panel)";
    if (!isText(path, call, "path"))
        return;
    const MainWindow::Panel* shown = panel.isUndefined() ? nullptr : panelOf(panel, call);
    if (!panel.isUndefined() && !shown)
        return;
    const QImage image = shown ? shown->widget->grab().toImage() : m_window.screenshot();
    if (!image.save(path.toString(), "PNG"))
        fail(QString("Cannot write the screenshot \"%1\".").arg(path.toString()));
}

void ScriptApi::quit(const QJSValue& code)
{
    if (!code.isNumber()) {
        fail("tesselon.quit(code): code must be a number, not " + code.toString() + ".");
        return;
    }
    m_quitCode = code.toInt();
    // Stops the script where it is, which no try block can catch; the host reads the code afterwards.
    m_engine.setInterrupted(true);
}

}  // namespace Tesselon
