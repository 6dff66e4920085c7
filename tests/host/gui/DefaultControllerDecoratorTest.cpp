#include "host/gui/DefaultControllerDecorator.h"

#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

class DefaultControllerDecoratorTest : public testing::Test
{
protected:
    QLabel* shownTitle() { return m_decorator.findChild<QLabel*>("title"); }
    QToolButton* collapseButton() { return m_decorator.findChild<QToolButton*>("collapse"); }

    QWidget* m_content = new QWidget;
    DefaultControllerDecorator m_decorator{m_content, "Pivot Calibration"};
};

TEST_F(DefaultControllerDecoratorTest, TitleOverrideReplacesTheShownTitleUntilCleared)
{
    EXPECT_EQ(m_content->parentWidget()->parentWidget(), &m_decorator);
    EXPECT_EQ(shownTitle()->text(), "Pivot Calibration");
    EXPECT_TRUE(shownTitle()->font().bold());

    m_decorator.setTitleOverride("Stylus");
    EXPECT_EQ(m_decorator.title(), "Stylus");
    EXPECT_EQ(shownTitle()->text(), "Stylus");

    m_decorator.setTitleOverride({});
    EXPECT_EQ(shownTitle()->text(), "Pivot Calibration");
}

TEST_F(DefaultControllerDecoratorTest, CollapseButtonFoldsTheContentAndNonCollapsibleKeepsItOpen)
{
    collapseButton()->click();
    EXPECT_TRUE(m_decorator.isCollapsed());
    EXPECT_TRUE(m_content->isHidden());
    EXPECT_EQ(collapseButton()->arrowType(), Qt::RightArrow);
    collapseButton()->click();
    EXPECT_FALSE(m_content->isHidden());
    EXPECT_EQ(collapseButton()->arrowType(), Qt::DownArrow);

    m_decorator.setCollapsed(true);
    m_decorator.setCollapsible(false);
    EXPECT_FALSE(m_content->isHidden());
    EXPECT_TRUE(collapseButton()->isHidden());
    m_decorator.setCollapsed(true);
    EXPECT_FALSE(m_decorator.isCollapsed());
}

}  // namespace
}  // namespace Tesselon
