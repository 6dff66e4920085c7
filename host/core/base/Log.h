#pragma once

#include "host/core/base/LogSink.h"

#include <memory>
#include <string>
#include <string_view>

namespace Tesselon {

/// The host log: leveled, categorised messages handed to pluggable sinks.
/// Every thread may log; without any sink installed, messages go to standard error.
class Log
{
public:
    enum Level
    {
        Debug = 1,
        Info = 2,
        Warning = 3,
        Error = 4
    };

    /// Whether a message of this level and category would reach the sinks.
    static bool isAccepted(int level, std::string_view category);
    static void log(int level, std::string_view category, std::string_view text);

    static void debug(std::string_view category, std::string_view text) { log(Debug, category, text); }
    static void info(std::string_view category, std::string_view text) { log(Info, category, text); }
    static void warning(std::string_view category, std::string_view text) { log(Warning, category, text); }
    static void error(std::string_view category, std::string_view text) { log(Error, category, text); }

    /// Messages below this level are dropped (default: information).
    static void setMinimumLevel(int level);
    static int minimumLevel();
    /// A category-specific threshold that overrides the global one for that category.
    static void setCategoryLevel(std::string_view category, int level);
    static void clearCategoryLevels();

    static void addSink(std::shared_ptr<LogSink> sink);
    static void removeSink(const std::shared_ptr<LogSink>& sink);

    static const char* levelName(int level);
};

/// Writes "[level] category: text" lines to standard error.
class StandardErrorLogSink : public LogSink
{
public:
    void write(const LogMessage& message) override;
};

}  // namespace Tesselon
