#include "host/gui/QtWidgetHelpers.h"

#include <QCheckBox>
#include <QEvent>
#include <QSignalBlocker>
#include <QWidget>

namespace Tesselon::QtHelpers {
namespace {

class StrayWheelFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        // An ignored wheel event goes on to the parent widgets, up to the scroll area.
        event->ignore();
        return true;
    }
};

}  // namespace

void setSilent(QCheckBox* checkBox, bool checked)
{
    if (!checkBox)
        return;
    const QSignalBlocker blocker(checkBox);
    checkBox->setChecked(checked);
}

void ignoreWheelUnlessFocused(QWidget* editor)
{
    editor->setFocusPolicy(Qt::StrongFocus);
    editor->installEventFilter(new StrayWheelFilter(editor));
}

}  // namespace Tesselon::QtHelpers
