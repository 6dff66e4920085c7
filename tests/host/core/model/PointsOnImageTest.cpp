#include "host/core/model/PointsOnImage.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tesselon {
namespace {

using Test::LogCapture;
using Test::TestData;

using Range = std::tuple<std::string, int, int>;

/// Records every notification of a set as (kind, first, last).
class NotificationLog : public SignalReceiver
{
public:
    explicit NotificationLog(PointsOnData& points)
    {
        points.pointsAdded.connect(this, [this](int f, int l) { ranges.emplace_back("added", f, l); });
        points.pointsChanged.connect(this, [this](int f, int l) { ranges.emplace_back("changed", f, l); });
        points.pointsRemoved.connect(this, [this](int f, int l) { ranges.emplace_back("removed", f, l); });
        points.pointsRenamed.connect(this, [this](int f, int l) { ranges.emplace_back("renamed", f, l); });
    }

    std::vector<Range> take() { return std::exchange(ranges, {}); }

    std::vector<Range> ranges;
};

TEST(PointsOnImage, NotificationsCarryTheAffectedRangeDataFollowThePointsBadIndicesChangeNothing)
{
    PointsOnImage points;
    NotificationLog log(points);
    points.addPoint({0, 0, 0});
    points.addImagePoint({1, 0, 0}, 2);
    points.addPoints({{2, 0, 0}, {3, 0, 0}, {4, 0, 0}});
    points.addPoints({});
    EXPECT_EQ(log.take(), (std::vector<Range>{{"added", 0, 1}, {"added", 1, 2}, {"added", 2, 5}}));

    points.setPoint(3, {7, 7, 7});
    points.setFlag(4, false);
    points.setName(0, "nasion");
    EXPECT_EQ(log.take(), (std::vector<Range>{{"changed", 3, 4}, {"changed", 4, 5}, {"renamed", 0, 1}}));

    points.remove(1, 3);
    points.remove(-4, 1);
    points.remove(1, 100);
    points.remove(2, 2);
    points.remove(5, 9);
    EXPECT_EQ(log.take(), (std::vector<Range>{{"removed", 1, 3}, {"removed", 0, 1}, {"removed", 1, 2}}));
    EXPECT_EQ(points.size(), 1);

    points.clear();
    points.clear();
    EXPECT_EQ(log.take(), (std::vector<Range>{{"removed", 0, 1}}));

    PointsOnImage named;
    named.addPoints({{0, 0, 0}, {1, 0, 0}});
    named.addImagePoint({2, 0, 0}, 4);
    named.setName(0, "a");
    named.setName(2, "c");
    named.setFlag(2, false);
    EXPECT_EQ(named.names(), (std::vector<std::string>{"a", "", "c"}));
    EXPECT_EQ(named.flags(), (std::vector<bool>{true, true, false}));

    named.remove(0, 2);
    ASSERT_EQ(named.size(), 1);
    EXPECT_EQ(*named.point(0), Eigen::Vector3d(2, 0, 0));
    EXPECT_EQ(*named.name(0), "c");
    EXPECT_FALSE(*named.flag(0));
    EXPECT_EQ(*named.imageIndex(0), 4);

    LogCapture capture;
    PointsOnImage three;
    three.addPoints({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    NotificationLog notifications(three);

    EXPECT_FALSE(three.point(3));
    EXPECT_FALSE(three.point(-1));
    EXPECT_FALSE(three.name(3));
    EXPECT_FALSE(three.flag(-2));
    three.setName(3, "x");
    three.setFlag(-1, false);
    EXPECT_FALSE(three.setPoint(-1, {9, 9, 9}));

    EXPECT_TRUE(notifications.ranges.empty());
    EXPECT_EQ(three.allPoints(), (std::vector<Eigen::Vector3d>{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
    EXPECT_EQ(three.names(), (std::vector<std::string>(3)));
    EXPECT_EQ(capture->count("point: invalid index 3 (the set has 3 points)"), 1);
    EXPECT_EQ(capture->count("point: invalid index -1 (the set has 3 points)"), 1);
    EXPECT_EQ(capture->count("setName: invalid index 3 (the set has 3 points)"), 1);
    EXPECT_EQ(capture->count("setPoint: invalid index -1 (the set has 3 points)"), 1);
    EXPECT_EQ(capture->messages().size(), 7u);
}

TEST(PointsOnImageConfiguration, RoundTripsPointsNamesAndImageIndicesSkippingBlocksWithoutAPosition)
{
    TestData image(Data::Volume);
    PointsOnImage original(image);
    original.addPoints({{1.5, -2.25, 3}, {0.1, 0.2, 0.3}});
    original.addImagePoint({-7, 8, 1e-9}, 2);
    original.setName(0, "left ear");
    original.setName(2, "nose tip");

    Properties saved;
    original.configuration(&saved);
    original.configuration(&saved);  // writing again replaces the list
    ASSERT_EQ(saved.subProperties("Points").size(), 1u);
    const auto blocks = saved.subProperty("Points")->subProperties("Point");
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[2]->paramText("Name"), "nose tip");

    PointsOnImage restored;
    restored.addPoint({9, 9, 9});  // replaced by the configured list
    restored.configure(&saved);
    EXPECT_EQ(restored.allPoints(), original.allPoints());
    EXPECT_EQ(restored.names(), original.names());
    EXPECT_EQ(*restored.imageIndex(2), 2);

    const Properties withoutPoints;
    restored.configure(&withoutPoints);  // no "Points": the list stays
    EXPECT_EQ(restored.size(), 3);

    LogCapture capture;
    saved.subProperty("Points")->subProperties("Point")[0]->removeParam("Point");
    restored.configure(&saved);
    EXPECT_EQ(restored.names(), (std::vector<std::string>{"", "nose tip"}));
    EXPECT_EQ(capture->count("Point entry 0 has no valid \"Point\"; skipped."), 1);
}

}  // namespace
}  // namespace Tesselon
