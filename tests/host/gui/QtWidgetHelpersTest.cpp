#include "host/gui/QtWidgetHelpers.h"

#include <QCheckBox>

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

}  // namespace
}  // namespace Tesselon
