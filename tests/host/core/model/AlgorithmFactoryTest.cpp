#include "host/core/config/GlobalSettings.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/AlgorithmCatalog.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/model/IoAlgorithm.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Tesselon;
using Test::TestData;

namespace {

// Offered for exactly one tracking stream.
class StreamAlgorithm : public Algorithm
{
public:
    static bool createCompatible(const DataList& data, Algorithm** out)
    {
        if (data.size() != 1 || !data.getFirst(Data::Kind::TrackingStream))
            return false;
        if (out)
            *out = new StreamAlgorithm;
        return true;
    }
    void compute() override { setStatus(Success); }
};

// Offered for anything, but its construction always fails.
class ThrowingAlgorithm : public Algorithm
{
public:
    static bool createCompatible(const DataList&, Algorithm** out)
    {
        if (out)
            throw std::runtime_error("no memory for it");
        return true;
    }
    void compute() override {}
};

// An I/O algorithm with a folder setting taken from the global settings.
class ExportAlgorithm : public IoAlgorithm
{
public:
    static bool createCompatible(const DataList&, Algorithm** out)
    {
        if (out)
            *out = new ExportAlgorithm;
        return true;
    }
    void compute() override {}
    Parameter<std::string> folder{"folder", "/tmp", this};
};

}  // namespace

class AlgorithmFactoryTest : public testing::Test
{
protected:
    AlgorithmFactory factory{"Navigation", false};
    TestData stream{Data::Kind::TrackingStream};
    TestData volume{Data::Kind::Volume};
};

TEST_F(AlgorithmFactoryTest, FullIdJoinsFactoryNameAndIdNameSplitsAtLastSemicolonDuplicateIdKeepsTheFirst)
{
    factory.registerAlgorithm<StreamAlgorithm>("Smooth", "Streaming;Sub;Smoothed Stream");
    const auto* descriptor = factory.descriptor("Navigation.Smooth");
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->category(), "Streaming;Sub");
    EXPECT_EQ(descriptor->displayName(), "Smoothed Stream");
    EXPECT_EQ(factory.idOf<StreamAlgorithm>(), "Navigation.Smooth");

    Tesselon::Test::LogCapture capture;
    factory.registerAlgorithm<ThrowingAlgorithm>("Smooth", "Streaming;Second");
    ASSERT_EQ(factory.descriptors().size(), 1u);
    EXPECT_EQ(factory.descriptors()[0].name, "Streaming;Sub;Smoothed Stream");
    EXPECT_EQ(capture->count("Algorithm already registered: Navigation.Smooth"), 1);
    EXPECT_EQ(capture->messages().back().level, Log::Warning);
    EXPECT_EQ(capture->messages().back().category, "AlgorithmFactory");
    EXPECT_FALSE(factory.idOf<ThrowingAlgorithm>());
}

TEST_F(AlgorithmFactoryTest, CreateSetsFactoryInfoOnlyForCompatibleSelectionsAndLogsAFailure)
{
    factory.registerAlgorithm<StreamAlgorithm>("Smooth", "Streaming;Smoothed Stream");
    EXPECT_FALSE(factory.create("Navigation.Smooth", {&volume}));
    EXPECT_FALSE(factory.create("Navigation.Unknown", {&stream}));
    const auto algorithm = factory.create("Navigation.Smooth", {&stream});
    ASSERT_TRUE(algorithm);
    EXPECT_EQ(algorithm->factoryInfo().id, "Navigation.Smooth");
    EXPECT_EQ(algorithm->factoryInfo().name, "Smoothed Stream");
    EXPECT_EQ(algorithm->factoryInfo().inputs.getAll(), std::vector<Data*>{&stream});

    Tesselon::Test::LogCapture capture;
    factory.registerAlgorithm<ThrowingAlgorithm>("Throwing", "Streaming;Throwing");
    EXPECT_TRUE(factory.descriptor("Navigation.Throwing")->isCompatible({&stream}));
    EXPECT_FALSE(factory.create("Navigation.Throwing", {&stream}));
    EXPECT_EQ(capture->count("Cannot create algorithm Streaming;Throwing: no memory for it"), 1);
    EXPECT_EQ(capture->messages().back().category, "");
}

TEST_F(AlgorithmFactoryTest, IoAlgorithmTakesGlobalSettingsThenPreset)
{
    Properties settings;
    settings.setParam("folder", std::string("/data/exports"));
    GlobalSettings::instance().setSettingsFor("Navigation.Export", settings);
    factory.registerAlgorithm<ExportAlgorithm>("Export", "File;Export");
    auto created = factory.create("Navigation.Export", {});
    EXPECT_EQ(static_cast<ExportAlgorithm&>(*created).folder.value(), "/data/exports");

    auto preset = std::make_shared<Properties>();
    preset->setParam("folder", std::string("/preset"));
    factory.registerAlgorithm<ExportAlgorithm>("ExportPreset", "File;Export Preset", NoAttributes, preset);
    created = factory.create("Navigation.ExportPreset", {});
    EXPECT_EQ(static_cast<ExportAlgorithm&>(*created).folder.value(), "/preset");
    GlobalSettings::instance().clear();
}

TEST_F(AlgorithmFactoryTest, CatalogOffersPerSelectionAndHidesInternalAndDeprecated)
{
    factory.registerAlgorithm<StreamAlgorithm>("Smooth", "Streaming;Smoothed Stream");
    factory.registerAlgorithm<ExportAlgorithm>("Export", "File;Export");
    factory.registerAlgorithm<ExportAlgorithm>("OldExport", "File;Old Export", Deprecated);
    AlgorithmFactory internal("Internal", true);
    internal.registerAlgorithm<ExportAlgorithm>("Export", "File;Hidden Export");

    const AlgorithmCatalog catalog({&factory, &internal});
    EXPECT_EQ(catalog.size(), 2u);
    const auto forVolume = catalog.byCategory({&volume});
    EXPECT_EQ(forVolume.size(), 1u);
    EXPECT_EQ(forVolume.at("File").front().descriptor->id, "Navigation.Export");
    EXPECT_EQ(catalog.byCategory({&stream}).size(), 2u);
}
