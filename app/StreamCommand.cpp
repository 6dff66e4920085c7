#include "app/StreamCommand.h"

#include "app/HostContext.h"
#include "app/JsonOutput.h"

#include <fmt/core.h>

namespace Tesselon {

StreamCommand::StreamCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "stream", "Run a tracking source through derived streams and measure them")
{
    auto* simulate = options().add_flag("--simulate", m_simulate,
                                        "Use the built-in simulated tracker (the default source)");
    auto* igtl =
        options().add_option("--igtl", m_igtl, "Receive poses from an OpenIGTLink server: HOST[:PORT]");
    auto* play =
        options().add_option("--play", m_options.playFile, "Play a recording (.mha, .mhd, .txt, .csv, .tsv)");
    simulate->excludes(igtl)->excludes(play);
    igtl->excludes(play);
    options().add_flag("--loop", m_options.loop, "Start the recording over when it ends")->needs(play);
    options()
        .add_option("--speed", m_options.speed, "Playback speed: 1 in real time, 0 as fast as possible")
        ->check(CLI::Range(0.0, 1000.0))
        ->needs(play);
    options()
        .add_option("--rate", m_options.rate, "Simulated sample rate in Hz")
        ->check(CLI::Range(1.0, 5000.0));
    options().add_option("--seed", m_options.seed, "Seed of the simulated noise and motions");
    options().add_option("--instruments", m_options.instruments, "Simulated instruments, comma-separated");
    options()
        .add_option("--smooth", m_smoothing, "Smooth the stream: none, average or kalman")
        ->check(CLI::IsMember({"none", "average", "kalman"}));
    options().add_option("--combine", m_combination,
                         "Combine two instruments: PRE:POST[:relative|composition], e.g. Reference:Needle");
    // A bridge runs through a whole procedure, and a soak for longer.
    options().add_option("--duration", m_duration, "Seconds to run")->check(CLI::Range(0.1, 86400.0));
    auto* serve = options()
                      .add_option("--serve", m_options.servePort,
                                  "Publish the output to OpenIGTLink clients on this port")
                      ->check(CLI::Range(1, 65535));
    options()
        .add_option("--serve-format", m_serveFormat,
                    "transform (one message per instrument) or tdata (one per sample)")
        ->check(CLI::IsMember({"transform", "tdata"}))
        ->needs(serve);
    options()
        .add_option("--serve-name", m_serveNames, "Device name of an instrument: ID=NAME (repeatable)")
        ->needs(serve);
    options().add_option("--record", m_options.recordFile,
                         "Record the output to a file (.mha, .mhd, .txt, .csv, .tsv)");
    addJsonFlag();
}

int StreamCommand::run()
{
    try {
        applySourceAndOutputs();
        StreamPipeline pipeline(context().plugins(), m_options);
        if (!json())
            fmt::print("Streaming {} for {:g} s...\n", pipeline.description(), m_duration);
        const auto reports = pipeline.run(m_duration);
        if (json())
            printJson(pipeline, reports);
        else
            printText(pipeline, reports);
        return 0;
    } catch (const std::exception& error) {
        fmt::print(stderr, "tesselon stream: {}\n", error.what());
        return 1;
    }
}

void StreamCommand::applySourceAndOutputs()
{
    if (!m_igtl.empty())
        m_options.igtl = IgtlAddress::parse(m_igtl);
    if (!m_smoothing.empty())
        m_options.smoothing = m_smoothing;
    if (!m_combination.empty())
        m_options.combination = StreamPipeline::parseCombination(m_combination);
    m_options.serveFormat = m_serveFormat == "tdata" ? IgtlTrackingServer::Format::TrackingData
                                                     : IgtlTrackingServer::Format::Transform;
    for (const std::string& text : m_serveNames)
        m_options.serveNames.insert(StreamPipeline::parseDeviceName(text));
}

void StreamCommand::printText(const StreamPipeline& pipeline,
                              const std::vector<TrackingAccuracyMeter::InstrumentReport>& reports)
{
    if (reports.empty())
        fmt::print("\nNo instrument was seen.\n");
    for (const std::string& note : pipeline.notes())
        fmt::print("{}\n", note);
    if (!pipeline.knowsTruth()) {
        if (!reports.empty())
            fmt::print("\n{:<30} {:>8} {:>10} {:>13}\n", "instrument", "samples", "rate [Hz]",
                       "latency [us]");
        for (const auto& report : reports)
            fmt::print("{:<30} {:>8} {:>10.1f} {:>13.1f}\n", report.name, report.samples, report.rateHz,
                       report.latencyMicroseconds);
        return;
    }
    fmt::print("\n{:<30} {:>8} {:>10} {:>13} {:>13} {:>12} {:>9}\n", "instrument", "samples", "rate [Hz]",
               "latency [us]", "error in [mm]", "error [mm]", "lag [ms]");
    for (const auto& report : reports)
        fmt::print("{:<30} {:>8} {:>10.1f} {:>13.1f} {:>13.3f} {:>12.3f} {:>9.0f}\n", report.name,
                   report.samples, report.rateHz, report.latencyMicroseconds, report.errorBeforeMm,
                   report.errorAfterMm, report.lagMs);
    fmt::print(
        "\nerror in: RMS distance of the last stage's input to the true position (the tracker's jitter);\n"
        "error: the same at the output; lag: the delay that best explains the output's error.\n");
}

void StreamCommand::printJson(const StreamPipeline& pipeline,
                              const std::vector<TrackingAccuracyMeter::InstrumentReport>& reports)
{
    QJsonArray instruments;
    for (const auto& report : reports) {
        QJsonObject instrument{{"id", QString::fromStdString(report.id)},
                               {"name", QString::fromStdString(report.name)},
                               {"samples", static_cast<int>(report.samples)},
                               {"rateHz", report.rateHz},
                               {"latencyMicroseconds", report.latencyMicroseconds}};
        if (pipeline.knowsTruth()) {
            instrument["jitterBeforeMm"] = report.errorBeforeMm;
            instrument["jitterAfterMm"] = report.errorAfterMm;
            instrument["lagMs"] = report.lagMs;
        }
        instruments.append(instrument);
    }
    QJsonArray notes;
    for (const std::string& note : pipeline.notes())
        notes.append(QString::fromStdString(note));
    JsonOutput::print({{"status", "ok"},
                       {"pipeline", QString::fromStdString(pipeline.description())},
                       {"durationSeconds", m_duration},
                       {"instruments", instruments},
                       {"notes", notes}});
}

}  // namespace Tesselon
