#include "host/core/geometry/Spline.h"
#include "navigation/visualization/PathDeviation.h"
#include "navigation/visualization/PathDeviationRecorder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <Eigen/Geometry>

#include <cmath>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>

namespace Tesselon {
namespace {

// A needle with its tip at `tip`, advancing (along its -z) in `advance`.
Eigen::Matrix4d needleAt(const Eigen::Vector3d& tip, const Eigen::Vector3d& advance)
{
    Eigen::Matrix4d toolToWorld = Eigen::Matrix4d::Identity();
    toolToWorld.topLeftCorner<3, 3>() =
        Eigen::Quaterniond::FromTwoVectors(-Eigen::Vector3d::UnitZ(), advance.normalized())
            .toRotationMatrix();
    toolToWorld.topRightCorner<3, 1>() = tip;
    return toolToWorld;
}

TEST(PathDeviation, FiguresOfANeedleAgainstAStraightPath)
{
    // 100 mm along +z to the target at (0, 0, 100).
    const Spline path({Eigen::Vector3d::Zero(), Eigen::Vector3d(0, 0, 100)});
    const double tilt = std::atan(0.1) * 180.0 / std::numbers::pi;
    struct Case
    {
        const char* what;
        Eigen::Vector3d tip, advance;
        double depth, lateral, angle;
        std::optional<double> miss;
    };
    for (const Case& c : {
             Case{"on the path, along it", {0, 0, 40}, {0, 0, 1}, 60, 0, 0, 0.0},
             Case{"2 mm off, parallel: misses by as much", {2, 0, 40}, {0, 0, 1}, 60, 2, 0, 2.0},
             Case{"2 mm off, converging on the target", {2, 0, 80}, {-0.1, 0, 1}, 20, 2, tilt, 0.0},
             Case{"on the path, tilted: misses by 10 % of the depth",
                  {0, 0, 50},
                  {0.1, 0, 1},
                  50,
                  0,
                  tilt,
                  5.0},
             Case{"across the path: no crossing", {0, 5, 30}, {1, 0, 0}, 70, 5, 90, std::nullopt},
             Case{"beyond the target: depth 0", {0, 0, 120}, {0, 0, 1}, 0, 20, 0, 0.0},
         }) {
        SCOPED_TRACE(c.what);
        const auto deviation = PathDeviation::measure(path, needleAt(c.tip, c.advance));
        ASSERT_TRUE(deviation);
        EXPECT_NEAR(deviation->depthRemaining, c.depth, 1e-6);
        EXPECT_NEAR(deviation->lateralDistance, c.lateral, 1e-6);
        EXPECT_NEAR(deviation->axisAngleDegrees, c.angle, 1e-6);
        ASSERT_EQ(deviation->projectedMiss.has_value(), c.miss.has_value());
        if (c.miss)
            EXPECT_NEAR(*deviation->projectedMiss, *c.miss, 1e-6);
    }
    EXPECT_FALSE(PathDeviation::measure(Spline(), needleAt({0, 0, 0}, {0, 0, 1})));
    EXPECT_FALSE(PathDeviation::measure(path, Eigen::Matrix4d::Constant(std::nan(""))));
}

TEST(PathDeviation, RecorderWritesOneFlushedRowPerUpdateAndRefusesAnUnwritableFile)
{
    QTemporaryDir folder;
    const std::string file = folder.filePath("readout.csv").toStdString();
    PathDeviationRecorder recorder;
    recorder.add(0.0, PathDeviation{});  // not recording: ignored
    ASSERT_TRUE(recorder.start(file));
    PathDeviation deviation{12.5, 1.25, 3.0, std::nullopt, Eigen::Vector3d(1, 2, 3)};
    recorder.add(0.5, deviation);
    deviation.projectedMiss = 0.75;
    recorder.add(1.0, deviation);
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    EXPECT_EQ(
        text.str(),
        "time_s,depth_remaining_mm,lateral_distance_mm,axis_angle_deg,projected_miss_mm,tip_x,tip_y,tip_z\n"
        "0.500,12.500,1.250,3.000,,1.000,2.000,3.000\n"
        "1.000,12.500,1.250,3.000,0.750,1.000,2.000,3.000\n");
    EXPECT_EQ(recorder.rows(), 2);
    EXPECT_FALSE(recorder.start(folder.filePath("missing/readout.csv").toStdString()));
    EXPECT_FALSE(recorder.isRecording());
}

}  // namespace
}  // namespace Tesselon
