#pragma once

class QCheckBox;

// Widget helpers beside the core ones (host/core/QtHelpers.h), in the same namespace.
namespace Tesselon::QtHelpers {

/// Sets a check box without emitting its signals, so a panel can mirror a parameter without echoing the
/// change back to it.
void setSilent(QCheckBox* checkBox, bool checked);

}  // namespace Tesselon::QtHelpers
