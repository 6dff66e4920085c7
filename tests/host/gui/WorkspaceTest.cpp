#include "host/gui/Workspace.h"

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
    workspace.data = {{"volume", "/data/ct scan.nii.gz", Properties("Configuration")},
                      {"simulatedTracker", "", tracker},
                      {"igtl", "localhost:18944", Properties("Configuration")}};
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

TEST(Workspace, RefusesEntriesItCannotRestoreNamingThem)
{
    const auto message = [](const Properties& properties) {
        try {
            Workspace::fromProperties(properties);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    Properties noType = sampleWorkspace().toProperties();
    noType.subProperties("Data")[1]->removeParam("type");
    EXPECT_EQ(message(noType), "Data entry 2 of the workspace has no \"type\".");

    for (const char* inputs : {"3", "-1", "1 x"}) {
        Properties badInput = sampleWorkspace().toProperties();
        badInput.subProperties("Algorithm")[0]->setParam("inputs", std::string(inputs));
        EXPECT_NE(message(badInput).find("Algorithm 1 of the workspace names the input"), std::string::npos)
            << inputs;
    }
}

}  // namespace
}  // namespace Tesselon
