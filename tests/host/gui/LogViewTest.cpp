#include "host/gui/LogView.h"

#include "host/core/base/Log.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

TEST(LogView, ShowsMessagesFromAnyThreadFilteredByLevelAndCategory)
{
    LogView view;
    view.setMinimumLevel(Log::Debug);
    Log::warning("IgtlTrackingStream", "Lost the server.");
    std::thread([] { Log::error("SmoothedTrackingStream", "A stream thread's message."); }).join();
    Log::info("PluginLoader", "Loaded.");
    QCoreApplication::processEvents();
    ASSERT_EQ(view.messages().size(), 3u);
    EXPECT_EQ(view.messages()[1].text, "A stream thread's message.");

    view.setMinimumLevel(Log::Warning);
    EXPECT_EQ(view.visibleRowCount(), 2);
    view.setCategoryFilter("stream");
    EXPECT_EQ(view.visibleRowCount(), 2);
    view.setCategoryFilter("igtl");
    EXPECT_EQ(view.visibleRowCount(), 1);
}

}  // namespace
}  // namespace Tesselon
