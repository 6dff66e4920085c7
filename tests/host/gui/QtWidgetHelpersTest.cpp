#include "host/gui/QtWidgetHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QSpinBox>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

TEST(QtWidgetHelpers, SetSilentChangesTheBoxWithoutSignallingAndIgnoresNull)
{
    QCheckBox box;
    int toggles = 0;
    QObject::connect(&box, &QCheckBox::toggled, [&] { ++toggles; });
    QtHelpers::setSilent(&box, true);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(toggles, 0);
    QtHelpers::setSilent(nullptr, true);
}

TEST(QtWidgetHelpers, AWheelOverAnEditorWithoutTheFocusIsLeftToWhatHoldsIt)
{
    QWidget holder;
    auto* box = new QSpinBox(&holder);
    QtHelpers::ignoreWheelUnlessFocused(box);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    EXPECT_EQ(box->value(), 0);
    EXPECT_FALSE(wheel.isAccepted()) << "ignored, so the scroll area holding the panel scrolls";
    EXPECT_EQ(box->focusPolicy(), Qt::StrongFocus) << "a click gives it the focus, and the wheel then edits";
}

}  // namespace
}  // namespace Tesselon
