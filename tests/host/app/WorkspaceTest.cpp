#include "host/app/Workspace.h"

#include "host/stream/igtl/IgtlAddress.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

Workspace sampleWorkspace()
{
    Workspace workspace;
    Properties tracker("Configuration");
    tracker.setParam("rate", 120.0);
    tracker.setParam("instruments", std::string("Reference,Needle"));
    workspace.data = {{DataSource::Volume, "/data/ct scan.nii.gz", Properties("Configuration")},
                      {DataSource::SimulatedTracker, "", tracker},
                      {DataSource::Igtl, IgtlAddress().toString(), Properties("Configuration")}};
    Properties smoothing("Configuration");
    smoothing.setParam("smoothingMode", 2);
    workspace.algorithms = {{"Navigation.CreateStreamSmoothedTrackingStream", {1}, smoothing},
                            {"Navigation.ToolVisualization", {1, 0}, Properties("Configuration")}};
    return workspace;
}

TEST(Workspace, RoundTripsThroughItsFile)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("session.workspace").toStdString();
    const Workspace saved = sampleWorkspace();
    saved.save(path);
    EXPECT_EQ(Workspace::load(path), saved);
}

TEST(Workspace, NamesEachSourceAsFilesAlwaysHave)
{
    const std::string_view names[] = {"volume",           "recording",     "markups",
                                      "simulatedTracker", "igtl",          "recordingSequence",
                                      "output",           "liveRecording", "drawnAnnotation"};
    for (int source = 0; source < static_cast<int>(std::size(names)); ++source) {
        const auto type = static_cast<DataSource>(source);
        EXPECT_EQ(dataSourceName(type), names[source]);
        // Outputs are made again by their algorithms; live recordings cannot be made again.
        EXPECT_EQ(loadableDataSource(names[source]),
                  isSavedDataSource(type) ? std::optional(type) : std::nullopt);
    }
    EXPECT_FALSE(isSavedDataSource(DataSource::AlgorithmOutput) ||
                 isSavedDataSource(DataSource::LiveRecording));
}

TEST(Workspace, RefusesEntriesItCannotRestoreNamingThem)
{
    // Sets the key of the second data entry or the first algorithm, or removes it without a value.
    const auto refusal = [](const std::string& section, const char* key, const char* value) {
        Properties properties = sampleWorkspace().toProperties();
        Properties& entry = *properties.subProperties(section)[section == "Data" ? 1 : 0];
        if (value)
            entry.setParam(key, std::string(value));
        else
            entry.removeParam(key);
        try {
            Workspace::fromProperties(properties);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refusal("Data", "type", nullptr), "Data entry 2 of the workspace has no \"type\".");
    for (const std::string type : {"ultrasound", "output"})
        EXPECT_EQ(refusal("Data", "type", type.c_str()),
                  "Data entry 2 of the workspace has the type \"" + type + "\", which the host cannot load.");
    for (const std::string input : {"3", "-1", "x"})
        EXPECT_EQ(refusal("Algorithm", "inputs", input.c_str()),
                  "Algorithm 1 of the workspace names the input \"" + input +
                      "\", which is not one of its 3 data entries.");
}

}  // namespace
}  // namespace Tesselon
