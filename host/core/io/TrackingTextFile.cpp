#include "host/core/io/TrackingTextFile.h"

#include "host/core/io/TextLines.h"
#include "host/core/io/TrackingRecordingError.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

namespace {

constexpr std::string_view defaultTransformName = "Tool";
constexpr std::size_t valuesPerPose = 17;
constexpr std::string_view separators = " \t\r,";

struct TimeUnit
{
    std::string_view name;
    double perSecond;
};

constexpr std::array<TimeUnit, 4> timeUnits = {{
    {"seconds", 1},
    {"milliseconds", 1e3},
    {"microseconds", 1e6},
    {"nanoseconds", 1e9},
}};

// Epoch times in seconds stay below 1e11 until the year 5138, so larger values must be in a finer unit.
constexpr double largestEpochSeconds = 1e11;

constexpr std::string_view nameKey = "transform:";

// Comments are matched by hand, in one pass: a regular expression library recurses per character and
// overflows the stack on a long line.
bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::string_view withoutLeadingSpaces(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

// `text` past the blanks it starts with; nothing when it starts with none.
std::optional<std::string_view> afterSpaces(std::string_view text)
{
    const std::string_view rest = withoutLeadingSpaces(text);
    if (rest.size() == text.size())
        return std::nullopt;
    return rest;
}

bool startsWithWord(std::string_view text, std::string_view word)
{
    return text.starts_with(word) && (text.size() == word.size() || !isWordCharacter(text[word.size()]));
}

// What follows "time" in "time in <unit>", "timestamp in <unit>" or "timestamps in <unit>".
const TimeUnit* unitAfterTime(std::string_view rest)
{
    if (rest.starts_with("stamps"))
        rest.remove_prefix(6);
    else if (rest.starts_with("stamp"))
        rest.remove_prefix(5);
    const std::optional<std::string_view> in = afterSpaces(rest);
    if (!in || !in->starts_with("in"))
        return nullptr;
    const std::optional<std::string_view> unit = afterSpaces(in->substr(2));
    if (!unit)
        return nullptr;
    const auto named = std::find_if(timeUnits.begin(), timeUnits.end(),
                                    [&](const TimeUnit& known) { return startsWithWord(*unit, known.name); });
    return named == timeUnits.end() ? nullptr : &*named;
}

// The first declaration of a unit, starting at the word "time", anywhere in a comment, in any letter case.
const TimeUnit* declaredUnit(std::string_view comment)
{
    const std::string lower = TextLines::lowerCase(comment);
    for (std::size_t at = lower.find("time"); at != std::string::npos; at = lower.find("time", at + 1)) {
        if (at > 0 && isWordCharacter(lower[at - 1]))
            continue;
        if (const TimeUnit* unit = unitAfterTime(std::string_view(lower).substr(at + 4)))
            return unit;
    }
    return nullptr;
}

// The name of a comment "# transform: <name>", a single word, with the key in any letter case.
std::optional<std::string_view> declaredName(std::string_view comment)
{
    std::string_view rest = withoutLeadingSpaces(comment.substr(1));
    if (TextLines::lowerCase(rest.substr(0, nameKey.size())) != nameKey)
        return std::nullopt;
    rest = withoutLeadingSpaces(rest.substr(nameKey.size()));
    while (!rest.empty() && isSpace(rest.back()))
        rest.remove_suffix(1);
    if (rest.empty() || std::any_of(rest.begin(), rest.end(), isSpace))
        return std::nullopt;
    return rest;
}

const TimeUnit& unitForMagnitude(double timestamp)
{
    for (const TimeUnit& unit : timeUnits) {
        if (std::abs(timestamp) < largestEpochSeconds * unit.perSecond)
            return unit;
    }
    return timeUnits.back();
}

class Reader
{
public:
    Reader(std::string_view source, std::string_view transformName)
        : m_source(source), m_transformName(transformName)
    {
    }

    TrackingRecording read(std::string_view text)
    {
        TextLines lines(text, TextLines::Comments::Kept, m_source, &TextLines::fail<TrackingRecordingError>);
        while (const std::optional<TextLines::Line> line = lines.next()) {
            if (line->text.front() == '#')
                readComment(line->text, line->number);
            else
                readPose(line->text, line->number);
        }
        return assemble();
    }

private:
    // Only the header, before the first pose, declares; later comments are notes.
    void readComment(std::string_view text, int line)
    {
        if (!m_frames.empty())
            return;
        if (const TimeUnit* unit = declaredUnit(text))
            declareUnit(*unit, line);
        if (const std::optional<std::string_view> name = declaredName(text); name && m_declaredName.empty())
            m_declaredName = *name;
    }

    void declareUnit(const TimeUnit& unit, int line)
    {
        if (m_unit && m_unit != &unit)
            fail(line, fmt::format("timestamps declared in {} after line {} declared them in {}", unit.name,
                                   m_unitLine, m_unit->name));
        m_unit = &unit;
        m_unitLine = line;
    }

    void readPose(std::string_view text, int line)
    {
        const std::vector<std::string_view> values = TextLines::split(text, separators);
        if (values.size() != valuesPerPose)
            fail(line,
                 fmt::format("expected {} numbers (a timestamp, then the 16 values of the 4x4 transform "
                             "row by row), found {}",
                             valuesPerPose, values.size()));
        const double timestamp = number(values[0], line, "a timestamp");
        if (!m_unit)
            m_unit = &unitForMagnitude(timestamp);
        Eigen::Matrix4d matrix;
        for (int i = 0; i < 16; ++i)
            matrix(i / 4, i % 4) = number(values[i + 1], line, "a matrix value");
        m_frames.push_back({timestamp / m_unit->perSecond, matrix});
    }

    double number(std::string_view text, int line, std::string_view what) const
    {
        if (const std::optional<double> value = TextLines::finiteNumber(text))
            return *value;
        fail(line, fmt::format("expected {}, found \"{}\"", what, TrackingRecordingError::excerpt(text)));
    }

    TrackingRecording assemble() const
    {
        std::string name = m_transformName.empty() ? m_declaredName : m_transformName;
        if (name.empty())
            name = defaultTransformName;
        TrackingRecording recording;
        recording.sourceName = m_source;
        recording.frames.reserve(m_frames.size());
        for (const auto& [timestamp, matrix] : m_frames)
            recording.frames.push_back({timestamp, {{name, matrix, true}}});
        return recording;
    }

    [[noreturn]] void fail(int line, std::string reason) const
    {
        throw TrackingRecordingError(m_source, line, std::move(reason));
    }

    std::string m_source;
    std::string m_transformName;
    std::string m_declaredName;
    const TimeUnit* m_unit = nullptr;
    int m_unitLine = 0;
    std::vector<std::pair<double, Eigen::Matrix4d>> m_frames;
};

class Writer
{
public:
    Writer(const TrackingRecording& recording, char separator, std::string_view target)
        : m_recording(recording), m_separator(separator), m_target(target)
    {
    }

    std::string write() const
    {
        if (m_separator != ' ' && m_separator != ',' && m_separator != '\t')
            fail(fmt::format("cannot separate values with '{}'; expected a blank, a comma or a tab",
                             m_separator));
        std::string text =
            "# One pose per line: timestamp in seconds, then the 16 values of the 4x4 transform row by "
            "row.\n";
        if (!m_recording.frames.empty())
            text += fmt::format("# transform: {}\n", onlyTransformName());
        for (std::size_t i = 0; i < m_recording.frames.size(); ++i)
            text += poseLine(i);
        return text;
    }

private:
    std::string onlyTransformName() const
    {
        const std::vector<std::string> names = m_recording.transformNames();
        if (names.size() != 1)
            fail(fmt::format("plain text holds exactly one transform; the recording holds {}", names.size()));
        const std::string& name = names.front();
        const bool printable = std::all_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) > ' ' && c != 0x7F;
        });
        if (name.empty() || !printable)
            fail(fmt::format(
                "the transform name \"{}\" must be non-empty, without blanks or control characters", name));
        return name;
    }

    std::string poseLine(std::size_t index) const
    {
        const TrackingFrame& frame = m_recording.frames[index];
        if (frame.transforms.size() != 1)
            fail(fmt::format("frame {} holds {} transforms; plain text needs exactly one per frame", index,
                             frame.transforms.size()));
        const TrackedTransform& transform = frame.transforms.front();
        if (!transform.valid)
            fail(fmt::format("frame {} holds an invalid pose, which plain text cannot mark", index));
        if (!std::isfinite(frame.timestamp) || !transform.matrix.allFinite())
            fail(fmt::format("frame {} holds a value that is not a finite number", index));
        std::string line = fmt::format("{}", frame.timestamp);
        for (int i = 0; i < 16; ++i)
            line += fmt::format("{}{}", m_separator, transform.matrix(i / 4, i % 4));
        return line + '\n';
    }

    [[noreturn]] void fail(std::string reason) const
    {
        throw TrackingRecordingError(m_target, 0, std::move(reason));
    }

    const TrackingRecording& m_recording;
    char m_separator;
    std::string m_target;
};

}  // namespace

std::string TrackingTextFile::toText(const TrackingRecording& recording, char separator,
                                     std::string_view targetName)
{
    return Writer(recording, separator, targetName).write();
}

TrackingRecording TrackingTextFile::fromText(std::string_view text, std::string_view sourceName,
                                             std::string_view transformName)
{
    return Reader(sourceName, transformName).read(text);
}

}  // namespace Tesselon
