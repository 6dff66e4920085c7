#include "host/core/model/PointCorrespondencesAlgorithm.h"

#include "host/core/model/PointsOnImage.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

using Test::TestData;

class FakeStream : public TestData
{
public:
    FakeStream() : TestData(Data::TrackingStream, "fake stream") {}
};

class FakeStreamPoints : public PointsOnImage
{
public:
    explicit FakeStreamPoints(FakeStream& stream) : PointsOnImage(stream) {}
};

class FakeStreamManipulator : public PointsOnDataManipulator
{
public:
    explicit FakeStreamManipulator(std::shared_ptr<FakeStreamPoints> points)
        : PointsOnDataManipulator(std::move(points))
    {
    }
    void startPointCreation() override { m_capturing = true; }
    void cancelPointCreation() override { m_capturing = false; }
    bool isCreatingPoint() const override { return m_capturing; }

private:
    bool m_capturing = false;
};

class PointCorrespondencesAlgorithmTest : public ::testing::Test
{
protected:
    void SetUp() override { PointCorrespondencesAlgorithm::clearRegistrations(); }
    void TearDown() override { PointCorrespondencesAlgorithm::clearRegistrations(); }

    FakeStream stream;
    TestData image{Data::Volume};
};

TEST_F(PointCorrespondencesAlgorithmTest, RegisteredKindIsFoundForItsDataOnly)
{
    EXPECT_FALSE(PointCorrespondencesAlgorithm::isCompatible(&stream));
    PointCorrespondencesAlgorithm::registerPointsOnData<FakeStream, FakeStreamPoints, FakeStreamManipulator>(
        2);
    EXPECT_EQ(PointCorrespondencesAlgorithm::getCompatibilityChecks().size(), 1u);
    EXPECT_TRUE(PointCorrespondencesAlgorithm::isCompatible(&stream));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::isCompatible(&image));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::isCompatible(nullptr));

    const auto points = PointCorrespondencesAlgorithm::pointsOnDataFor(&stream, "tracked");
    ASSERT_TRUE(std::dynamic_pointer_cast<FakeStreamPoints>(points));
    EXPECT_EQ(points->data(), &stream);
    EXPECT_EQ(PointCorrespondencesAlgorithm::pointsOnDataFor(&stream, "tracked"), points);
    EXPECT_EQ(stream.components().get<PointsStorageComponent>()->pointSet("tracked"), points);
    EXPECT_FALSE(PointCorrespondencesAlgorithm::pointsOnDataFor(&image, "tracked"));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::pointsOnDataFor(nullptr, "tracked"));

    const auto manipulator = PointCorrespondencesAlgorithm::manipulatorFor(points);
    ASSERT_TRUE(dynamic_cast<FakeStreamManipulator*>(manipulator.get()));
    EXPECT_EQ(&manipulator->pointHandler(), points.get());
    manipulator->startPointCreation();
    EXPECT_TRUE(manipulator->isCreatingPoint());

    // A plain set on the stream, or a set of the right kind on other data, gets no manipulator.
    EXPECT_FALSE(PointCorrespondencesAlgorithm::manipulatorFor(std::make_shared<PointsOnImage>(stream)));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::manipulatorFor(std::make_shared<PointsOnImage>(image)));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::manipulatorFor(nullptr));

    PointCorrespondencesAlgorithm::clearRegistrations();
    EXPECT_FALSE(PointCorrespondencesAlgorithm::isCompatible(&stream));
    EXPECT_FALSE(PointCorrespondencesAlgorithm::pointsOnDataFor(&stream, "tracked"));
}

TEST_F(PointCorrespondencesAlgorithmTest, FactoriesAreTriedByPriorityThenRegistrationOrder)
{
    auto factoryGiving = [](std::shared_ptr<PointsOnData> set) {
        return [set](Data*, const std::string&) { return set; };
    };
    const auto low = std::make_shared<PointsOnImage>();
    const auto highFirst = std::make_shared<PointsOnImage>();
    const auto highSecond = std::make_shared<PointsOnImage>();
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(1, factoryGiving(low));
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(2, factoryGiving(nullptr));
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(5, factoryGiving(highFirst));
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(5, factoryGiving(highSecond));
    EXPECT_EQ(PointCorrespondencesAlgorithm::pointsOnDataFor(&image, "x"), highFirst);

    PointCorrespondencesAlgorithm::clearRegistrations();
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(1, factoryGiving(low));
    PointCorrespondencesAlgorithm::addPointsOnDataFactory(2, factoryGiving(nullptr));
    EXPECT_EQ(PointCorrespondencesAlgorithm::pointsOnDataFor(&image, "x"), low);
}

}  // namespace
}  // namespace Tesselon
