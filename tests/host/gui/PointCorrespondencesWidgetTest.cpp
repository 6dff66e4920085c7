#include "host/gui/PointCorrespondencesWidget.h"

#include "host/core/model/PointCorrespondences.h"
#include "host/core/model/PointsOnImageManipulator.h"
#include "tests/support/LogCapture.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Tesselon;
using Side = PointCorrespondencesWidget::Side;

namespace {

const QString landmarks = QStringLiteral(TESSELON_TEST_DATA_DIR "/phantom-landmarks.csv");

class PointCorrespondencesWidgetTest : public testing::Test
{
protected:
    QTableWidget& table() { return *m_widget.findChild<QTableWidget*>("pairTable"); }
    QPushButton& button(const char* name) { return *m_widget.findChild<QPushButton*>(name); }
    QString cell(int row, int column) { return table().item(row, column)->text(); }

    PointsOnImage m_first;
    PointsOnImage m_second;
    PointCorrespondences m_pairs{m_first, m_second};
    PointsOnImageManipulator m_firstManipulator{m_first, false};
    PointsOnImageManipulator m_secondManipulator{m_second, false};
    PointCorrespondencesWidget m_widget{m_pairs, m_firstManipulator, m_secondManipulator};
};

}  // namespace

TEST_F(PointCorrespondencesWidgetTest, EitherSideLoadsAndSavesPointListsAndABadFileChangesNothing)
{
    ASSERT_TRUE(m_widget.loadPoints(Side::Second, landmarks));
    ASSERT_EQ(m_second.size(), 8);
    EXPECT_EQ(m_second.names()[0], "L1");
    EXPECT_EQ(table().rowCount(), 8);
    EXPECT_EQ(cell(0, 1), "L1");
    EXPECT_EQ(cell(0, 2), "—");

    QTemporaryDir directory;
    for (const char* name : {"points.mrk.json", "points.csv"}) {
        const QString path = QDir(directory.path()).filePath(name);
        ASSERT_TRUE(m_widget.savePoints(Side::Second, path));
        ASSERT_TRUE(m_widget.loadPoints(Side::First, path));
        EXPECT_EQ(m_first.allPoints(), m_second.allPoints()) << name;
        EXPECT_EQ(m_first.names(), m_second.names()) << name;
    }

    Tesselon::Test::LogCapture log;
    EXPECT_FALSE(m_widget.loadPoints(Side::First, QDir(directory.path()).filePath("missing.csv")));
    EXPECT_EQ(m_first.size(), 8);
    EXPECT_TRUE(m_widget.statusText().contains("missing.csv"));
    EXPECT_FALSE(m_widget.savePoints(Side::First, "/no/such/folder/points.csv"));
}

TEST_F(PointCorrespondencesWidgetTest, DeletesTheSelectedPairOrAllAndShowsResidualsUntilThePointsChange)
{
    m_first.addPoints({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    m_second.addPoints({{0, 0, 0}, {1, 0, 0}});
    EXPECT_EQ(table().rowCount(), 3);
    m_widget.setResiduals({0.25, 1.5});
    EXPECT_EQ(cell(1, 4), "1.50");
    EXPECT_TRUE(table().item(1, 4)->font().bold());

    m_widget.selectPair(1);
    button("deletePair").click();
    EXPECT_EQ(m_first.allPoints(), (std::vector<Eigen::Vector3d>{{0, 0, 0}, {2, 0, 0}}));
    EXPECT_EQ(m_second.allPoints(), (std::vector<Eigen::Vector3d>{{0, 0, 0}}));
    EXPECT_EQ(cell(0, 4), "");

    // Placing asks for a click; asking again cancels.
    button("createSecond").click();
    EXPECT_TRUE(m_secondManipulator.isCreatingPoint());
    EXPECT_EQ(button("createSecond").text(), "Cancel Placing");
    button("createSecond").click();
    EXPECT_FALSE(m_secondManipulator.isCreatingPoint());

    button("deleteAllPairs").click();
    EXPECT_TRUE(m_first.empty() && m_second.empty());
    EXPECT_EQ(table().rowCount(), 0);
}
