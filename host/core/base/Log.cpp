#include "host/core/base/Log.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace Tesselon {
namespace {

struct LogState
{
    std::mutex mutex;
    int minimumLevel = Log::Info;
    std::map<std::string, int, std::less<>> categoryLevels;
    // Copy-on-write so that writing a message holds the lock only to take the snapshot.
    std::shared_ptr<const std::vector<std::shared_ptr<LogSink>>> sinks =
        std::make_shared<std::vector<std::shared_ptr<LogSink>>>(
            std::vector<std::shared_ptr<LogSink>>{std::make_shared<StandardErrorLogSink>()});
};

LogState& state()
{
    static LogState instance;
    return instance;
}

bool isAcceptedLocked(LogState& s, int level, std::string_view category)
{
    const auto found = s.categoryLevels.find(category);
    const int threshold = found == s.categoryLevels.end() ? s.minimumLevel : found->second;
    return level >= threshold;
}

}  // namespace

bool Log::isAccepted(int level, std::string_view category)
{
    LogState& s = state();
    std::lock_guard lock(s.mutex);
    return isAcceptedLocked(s, level, category);
}

void Log::log(int level, std::string_view category, std::string_view text)
{
    LogState& s = state();
    std::shared_ptr<const std::vector<std::shared_ptr<LogSink>>> sinks;
    {
        std::lock_guard lock(s.mutex);
        if (!isAcceptedLocked(s, level, category))
            return;
        sinks = s.sinks;
    }
    const LogMessage message{level, std::string(category), std::string(text)};
    for (const auto& sink : *sinks)
        sink->write(message);
}

void Log::setMinimumLevel(int level)
{
    std::lock_guard lock(state().mutex);
    state().minimumLevel = level;
}

int Log::minimumLevel()
{
    std::lock_guard lock(state().mutex);
    return state().minimumLevel;
}

void Log::setCategoryLevel(std::string_view category, int level)
{
    std::lock_guard lock(state().mutex);
    state().categoryLevels.insert_or_assign(std::string(category), level);
}

void Log::clearCategoryLevels()
{
    std::lock_guard lock(state().mutex);
    state().categoryLevels.clear();
}

void Log::addSink(std::shared_ptr<LogSink> sink)
{
    LogState& s = state();
    std::lock_guard lock(s.mutex);
    auto sinks = std::make_shared<std::vector<std::shared_ptr<LogSink>>>(*s.sinks);
    sinks->push_back(std::move(sink));
    s.sinks = std::move(sinks);
}

void Log::removeSink(const std::shared_ptr<LogSink>& sink)
{
    LogState& s = state();
    std::lock_guard lock(s.mutex);
    auto sinks = std::make_shared<std::vector<std::shared_ptr<LogSink>>>(*s.sinks);
    std::erase(*sinks, sink);
    s.sinks = std::move(sinks);
}

const char* Log::levelName(int level)
{
    switch (level) {
        case Debug:
            return "debug";
        case Info:
            return "info";
        case Warning:
            return "warning";
        case Error:
            return "error";
        default:
            return "log";
    }
}

void StandardErrorLogSink::write(const LogMessage& message)
{
    if (message.category.empty())
        std::fprintf(stderr, "[%s] %s\n", Log::levelName(message.level), message.text.c_str());
    else
        std::fprintf(stderr, "[%s] %s: %s\n", Log::levelName(message.level), message.category.c_str(),
                     message.text.c_str());
}

}  // namespace Tesselon
