#pragma once

class QCheckBox;
class QWidget;

// Widget helpers beside the core ones (host/core/QtHelpers.h), in the same namespace.
namespace Tesselon::QtHelpers {

/// Sets a check box without emitting its signals, so a panel can mirror a parameter without echoing the
/// change back to it.
void setSilent(QCheckBox* checkBox, bool checked);

/// A wheel turned over the editor scrolls what holds it unless the user is working in the editor (it has
/// the focus): scrolling a panel must not change the values that pass under the pointer.
void ignoreWheelUnlessFocused(QWidget* editor);

/// The widget with its object name set, for building forms in code: scripts and tests find widgets by it.
template <class Widget>
Widget* named(Widget* widget, const char* objectName)
{
    widget->setObjectName(objectName);
    return widget;
}

}  // namespace Tesselon::QtHelpers
