#include "host/core/model/DataList.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Tesselon;
using Test::TestData;

namespace {

struct CalibrationStore : DataComponent
{
    std::string id() const override { return "CalibrationStore"; }
    int entries = 0;
};

struct DerivedCalibrationStore : CalibrationStore
{
    std::string id() const override { return "DerivedCalibrationStore"; }
};

class Image : public TestData
{
public:
    Image(Kind kind, int modality) : TestData(kind), m_modality(modality) {}
    int modality() const { return m_modality; }

private:
    int m_modality;
};

}  // namespace

TEST(DataComponentListAndDataList, ComponentsAreFoundByExactTypeDataByKindModalityAndType)
{
    DataComponentList components;
    components.add(std::make_unique<DerivedCalibrationStore>());
    EXPECT_EQ(components.get<CalibrationStore>(), nullptr);
    EXPECT_NE(components.get<DerivedCalibrationStore>(), nullptr);

    CalibrationStore& store = components.getOrCreate<CalibrationStore>();
    store.entries = 3;
    EXPECT_EQ(components.getOrCreate<CalibrationStore>().entries, 3);
    EXPECT_EQ(components.all().size(), 2u);
    EXPECT_TRUE(components.remove<CalibrationStore>());
    EXPECT_FALSE(components.remove<CalibrationStore>());

    TestData stream(Data::Kind::TrackingStream);
    Image ct(Data::Kind::Volume, 3);
    Image xray(Data::Kind::Image, 1);
    const DataList list{&xray, &stream, &ct};

    EXPECT_EQ(list.getFirst(Data::Kind::TrackingStream), &stream);
    EXPECT_EQ(list.getFirst(Data::Kind::Mesh), nullptr);
    EXPECT_EQ(list.getImages<Image>(), (std::vector<Image*>{&xray, &ct}));
    EXPECT_EQ(list.getImages<Image>(Data::Kind::Volume), std::vector<Image*>{&ct});
    EXPECT_EQ(list.getImages<Image>(Data::Kind::Unknown, 1), std::vector<Image*>{&xray});
    EXPECT_EQ(list.getImage<Image>(Data::Kind::Volume, 1), nullptr);
}

TEST(DataComponentList, ConcurrentGetOrCreateMakesOneComponent)
{
    DataComponentList components;
    std::vector<std::thread> threads;
    std::vector<CalibrationStore*> seen(4);
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] { seen[i] = &components.getOrCreate<CalibrationStore>(); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(components.all().size(), 1u);
    for (auto* store : seen)
        EXPECT_EQ(store, seen.front());
}
