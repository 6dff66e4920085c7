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

}  // namespace Tesselon::QtHelpers
