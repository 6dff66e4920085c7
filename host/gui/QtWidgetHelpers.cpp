#include "host/gui/QtWidgetHelpers.h"

#include <QCheckBox>
#include <QSignalBlocker>

namespace Tesselon::QtHelpers {

void setSilent(QCheckBox* checkBox, bool checked)
{
    if (!checkBox)
        return;
    const QSignalBlocker blocker(checkBox);
    checkBox->setChecked(checked);
}

}  // namespace Tesselon::QtHelpers
