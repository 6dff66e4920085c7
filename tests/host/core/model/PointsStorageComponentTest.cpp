#include "host/core/model/PointsStorageComponent.h"

#include "host/core/model/PointsOnImage.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace Tesselon {
namespace {

using Test::LogCapture;
using Test::TestData;

/// A point set of another kind, to take a name away from PointsOnImage.
class OtherPoints : public PointsOnImage
{
public:
    explicit OtherPoints(Data& data) : PointsOnImage(data) {}
};

TEST(PointsStorageComponent, GivesTheSameSetForTheSameNameRefusesOneTakenByAnotherKindAndConfiguresNewSets)
{
    TestData image(Data::Volume);
    auto& storage = image.components().getOrCreate<PointsStorageComponent>();
    EXPECT_EQ(storage.id(), "PointsStorageComponent");

    const auto fiducials = storage.getOrCreate<PointsOnImage>(image, "fiducials");
    ASSERT_TRUE(fiducials);
    EXPECT_EQ(fiducials->data(), &image);
    fiducials->addPoint({1, 2, 3});
    EXPECT_EQ(storage.getOrCreate<PointsOnImage>(image, "fiducials"), fiducials);
    EXPECT_NE(storage.getOrCreate<PointsOnImage>(image, "targets"), fiducials);
    EXPECT_EQ(storage.pointSet("fiducials"), fiducials);
    EXPECT_EQ(storage.names(), (std::vector<std::string>{"fiducials", "targets"}));

    EXPECT_TRUE(storage.remove("fiducials"));
    EXPECT_FALSE(storage.remove("fiducials"));
    EXPECT_EQ(fiducials->size(), 1);  // the holder keeps its set
    EXPECT_TRUE(storage.getOrCreate<PointsOnImage>(image, "fiducials")->empty());

    LogCapture capture;
    const auto other = storage.getOrCreate<OtherPoints>(image, "pairs");

    EXPECT_EQ(storage.getOrCreate<PointsOnImage>(image, "pairs"), other);  // a subclass is a PointsOnImage
    storage.getOrCreate<PointsOnImage>(image, "image points");
    EXPECT_FALSE(storage.getOrCreate<OtherPoints>(image, "image points"));
    EXPECT_EQ(capture->count("Point set with name 'image points' already exists, but is not of type "
                             "'Tesselon::(anonymous namespace)::OtherPoints'"),
              1);
    EXPECT_TRUE(storage.pointSet("image points"));

    PointsOnImage original;
    original.addPoints({{1, 0, 0}, {0, 1, 0}});
    original.setName(1, "tip");
    Properties saved;
    original.configuration(&saved);

    PointsStorageComponent saving;
    saving.setSavedConfiguration("landmarks", saved);
    const auto restored = saving.getOrCreate<PointsOnImage>(image, "landmarks");
    EXPECT_EQ(restored->allPoints(), original.allPoints());
    EXPECT_EQ(restored->names(), original.names());
    // A later saved configuration waits for the next creation; the live set stays.
    saving.setSavedConfiguration("landmarks", Properties());
    EXPECT_EQ(saving.getOrCreate<PointsOnImage>(image, "landmarks")->size(), 2);
    EXPECT_EQ(saving.savedConfiguration("landmarks"), Properties());
    EXPECT_FALSE(saving.savedConfiguration("unknown"));
}

TEST(PointsStorageComponent, ConcurrentRequestsShareOneSet)
{
    TestData image(Data::Volume);
    PointsStorageComponent storage;
    std::vector<std::shared_ptr<PointsOnImage>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] { seen[i] = storage.getOrCreate<PointsOnImage>(image, "shared"); });
    for (auto& thread : threads)
        thread.join();
    for (const auto& set : seen)
        EXPECT_EQ(set, seen[0]);
}

}  // namespace
}  // namespace Tesselon
