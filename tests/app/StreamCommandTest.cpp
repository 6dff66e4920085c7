#include "host/stream/igtl/IgtlMessageReader.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "host/stream/igtl/IgtlServerSocket.h"
#include "tests/support/IgtlTestServer.h"
#include "tests/support/Poses.h"
#include "tests/support/WaitUntil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// `tesselon stream` against real peers on loopback: an OpenIGTLink server and client built on the
// library, and its own recordings.
namespace Tesselon {
namespace {

namespace Support = Tesselon::Test;

QJsonObject runJson(const QStringList& arguments)
{
    QProcess program;
    program.start(TESSELON_PROGRAM, arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QByteArray output = program.readAllStandardOutput();
    return QJsonDocument::fromJson(output.mid(output.indexOf('{'))).object();
}

std::map<QString, QJsonObject> instrumentsById(const QJsonObject& report)
{
    std::map<QString, QJsonObject> instruments;
    for (const auto& value : report["instruments"].toArray())
        instruments[value.toObject()["id"].toString()] = value.toObject();
    return instruments;
}

int freePort()
{
    auto probe = IgtlServerSocket::New();
    EXPECT_TRUE(probe->listenOn(0));
    const int port = probe->GetServerPort();
    probe->CloseSocket();
    return port;
}

TEST(StreamCommand, ReportsTheToolsOfAnOpenIGTLinkServer)
{
    Support::IgtlTestServer server;
    std::atomic<bool> sending = true;
    std::thread sender([&] {
        for (int i = 1; sending; ++i) {
            server.send(IgtlMessageWriter::toVersion2(
                IgtlMessageWriter::trackingData("Tracker",
                                                {{"Reference", Support::translation(0, 0, 0), true},
                                                 {"Stylus", Support::translation(i * 0.01, 0, 100), true}},
                                                i * 0.01),
                {{"ReferenceStatus", "OK"}, {"StylusStatus", "OK"}}));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const QJsonObject report = runJson(
        {"stream", "--igtl", QString("127.0.0.1:%1").arg(server.port()), "--duration", "2", "--json"});
    sending = false;
    sender.join();

    const auto instruments = instrumentsById(report);
    ASSERT_EQ(instruments.size(), 2u) << QJsonDocument(report).toJson().toStdString();
    for (const auto& [id, instrument] : instruments) {
        EXPECT_GT(instrument["samples"].toInt(), 10) << id.toStdString();
        EXPECT_GT(instrument["rateHz"].toDouble(), 0.0) << id.toStdString();
        EXPECT_FALSE(instrument.contains("jitterAfterMm")) << "no truth is known for a real tracker";
    }
}

TEST(StreamCommand, ServesPosesThatALibraryClientReadsUnderTheirConfiguredNames)
{
    const int port = freePort();
    QProcess program;
    program.start(TESSELON_PROGRAM,
                  {"stream", "--simulate", "--instruments", "Reference,Needle", "--serve",
                   QString::number(port), "--serve-name", "Needle=NeedleTipToReference", "--duration", "20"});
    ASSERT_TRUE(program.waitForStarted());

    auto client = IgtlClientSocket::New();
    ASSERT_TRUE(Support::waitUntil(
        [&] { return client->connectWithin("127.0.0.1", port, std::chrono::milliseconds(200)); }));
    client->SetReceiveTimeout(5000);

    IgtlMessageReader reader;
    std::set<std::string> names;
    std::vector<std::uint8_t> buffer(4096);
    // The program serves for 20 s at most, so the receive fails at the latest then.
    while (names.size() < 2) {
        const int received = client->Receive(buffer.data(), static_cast<int>(buffer.size()), 0);
        if (received <= 0)
            break;
        reader.append(std::span(buffer).first(static_cast<std::size_t>(received)));
        while (const auto outcome = reader.next()) {
            ASSERT_FALSE(outcome->problem != IgtlMessageReader::Problem::None) << outcome->detail;
            EXPECT_EQ(outcome->message->type, "TRANSFORM");
            EXPECT_TRUE(outcome->message->tools.at(0).valid);
            names.insert(outcome->message->deviceName);
        }
    }
    program.kill();
    program.waitForFinished();
    EXPECT_EQ(names, (std::set<std::string>{"NeedleTipToReference", "Reference"}));
}

TEST(StreamCommand, ARecordingPlaysBackEverySample)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("session.mha");
    const QJsonObject recorded = runJson({"stream", "--simulate", "--instruments", "Needle", "--rate", "200",
                                          "--duration", "0.5", "--record", file, "--json"});
    const int samples = instrumentsById(recorded)["Needle"]["samples"].toInt();
    ASSERT_GT(samples, 0);

    const QJsonObject played =
        runJson({"stream", "--play", file, "--speed", "0", "--duration", "30", "--json"});
    EXPECT_EQ(instrumentsById(played)["Needle"]["samples"].toInt(), samples);
}

}  // namespace
}  // namespace Tesselon
