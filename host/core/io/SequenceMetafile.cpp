#include "host/core/io/SequenceMetafile.h"

#include "host/core/config/PropertyCodec.h"
#include "host/core/io/TextLines.h"
#include "host/core/io/TrackingRecordingError.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

namespace {

constexpr std::string_view framePrefix = "Seq_Frame";
constexpr std::string_view transformSuffix = "Transform";
constexpr std::string_view statusSuffix = "TransformStatus";
constexpr std::string_view timestampField = "Timestamp";
constexpr std::string_view dataFileKey = "ElementDataFile";
constexpr std::string_view validStatus = "OK";
constexpr std::string_view invalidStatus = "INVALID";

struct Field
{
    int line = 0;
    std::string_view key;
    std::string_view value;
};

// The key "Seq_Frame0012_StylusToTrackerTransform" split into frame 12 and "StylusToTrackerTransform".
struct FrameKey
{
    std::size_t frame = 0;
    std::string_view field;
};

class Reader
{
public:
    Reader(std::string_view text, std::string_view source) : m_text(text), m_source(source) {}

    TrackingRecording read()
    {
        readFields();
        m_frames.resize(readFrameCount());
        for (const Field& field : m_fields) {
            if (field.key.starts_with(framePrefix))
                readFrameField(field);
        }
        return assemble();
    }

private:
    struct PendingTransform
    {
        TrackedTransform transform;
        int matrixLine = 0;
        int statusLine = 0;
    };

    struct PendingFrame
    {
        std::optional<double> timestamp;
        int timestampLine = 0;
        std::vector<PendingTransform> transforms;
    };

    // Splits the header into fields up to and including ElementDataFile, which ends it.
    void readFields()
    {
        std::map<std::string_view, int> keyLines;
        TextLines lines(m_text, TextLines::Comments::Kept, m_source,
                        &TextLines::fail<TrackingRecordingError>);
        while (const std::optional<TextLines::Line> line = lines.next()) {
            const Field field = splitField(*line);
            if (const auto [first, added] = keyLines.emplace(field.key, field.line); !added)
                fail(field.line, fmt::format("the key \"{}\" appears twice; first on line {}",
                                             TrackingRecordingError::excerpt(field.key), first->second));
            m_fields.push_back(field);
            if (field.key == dataFileKey)
                return;
        }
        fail(0, fmt::format("the header ends without \"{} = ...\"", dataFileKey));
    }

    Field splitField(const TextLines::Line& line) const
    {
        const std::optional<TextLines::KeyValue> field = TextLines::splitKeyValue(line.text);
        if (!field)
            fail(line.number, fmt::format("expected \"key = value\", found \"{}\"",
                                          TrackingRecordingError::excerpt(line.text)));
        if (field->key.empty())
            fail(line.number, "expected a key before '='");
        return {line.number, field->key, field->value};
    }

    const Field& requiredField(std::string_view key) const
    {
        for (const Field& field : m_fields) {
            if (field.key == key)
                return field;
        }
        fail(0, fmt::format("the header has no \"{} = ...\"", key));
    }

    std::size_t readFrameCount() const
    {
        const Field& objectType = requiredField("ObjectType");
        if (objectType.value != "Image")
            fail(objectType.line, fmt::format("expected \"ObjectType = Image\", found \"{}\"",
                                              TrackingRecordingError::excerpt(objectType.value)));
        const Field& dimensions = requiredField("NDims");
        const auto count = PropertyCodec<int>::fromText(dimensions.value);
        if (!count || *count < 1)
            fail(dimensions.line, fmt::format("expected a positive number of dimensions, found \"{}\"",
                                              TrackingRecordingError::excerpt(dimensions.value)));
        const Field& size = requiredField("DimSize");
        const std::vector<std::string_view> sizes = TextLines::split(size.value);
        if (sizes.size() != static_cast<std::size_t>(*count))
            fail(size.line, fmt::format("expected {} sizes (NDims), found {}", *count, sizes.size()));
        std::optional<long long> frames;
        for (const std::string_view text : sizes) {
            frames = PropertyCodec<long long>::fromText(text);
            if (!frames || *frames < 0)
                fail(size.line, fmt::format("expected a size of 0 or more, found \"{}\"",
                                            TrackingRecordingError::excerpt(text)));
        }
        // Checked before anything is allocated per frame: each frame needs a timestamp line of its own.
        if (static_cast<unsigned long long>(*frames) > m_fields.size())
            fail(size.line,
                 fmt::format("DimSize declares {} frames, but the header holds only {} lines; each "
                             "frame needs a line with its timestamp",
                             *frames, m_fields.size()));
        return static_cast<std::size_t>(*frames);
    }

    FrameKey splitFrameKey(const Field& field) const
    {
        const std::string_view rest = field.key.substr(framePrefix.size());
        const std::size_t underscore = rest.find('_');
        const auto frame = PropertyCodec<unsigned>::fromText(
            underscore == std::string_view::npos ? rest : rest.substr(0, underscore));
        if (!frame || underscore == std::string_view::npos || underscore + 1 == rest.size())
            fail(field.line, fmt::format("expected a key \"Seq_Frame<number>_<field>\", found \"{}\"",
                                         TrackingRecordingError::excerpt(field.key)));
        if (*frame >= m_frames.size())
            fail(field.line, fmt::format("frame {} is beyond the {} frames that DimSize declares", *frame,
                                         m_frames.size()));
        return {*frame, rest.substr(underscore + 1)};
    }

    void readFrameField(const Field& field)
    {
        const auto [index, name] = splitFrameKey(field);
        PendingFrame& frame = m_frames[index];
        if (name == timestampField) {
            checkFirst(frame.timestampLine, field, "timestamp", index);
            frame.timestamp = number(field, field.value, "a timestamp in seconds");
            frame.timestampLine = field.line;
        } else if (name.ends_with(statusSuffix))
            readStatus(field, transformOf(frame, name.substr(0, name.size() - statusSuffix.size()), field),
                       index);
        else if (name.ends_with(transformSuffix))
            readMatrix(field, transformOf(frame, name.substr(0, name.size() - transformSuffix.size()), field),
                       index);
    }

    // The same frame may be numbered with different widths, so keys alone do not catch repeats.
    void checkFirst(int firstLine, const Field& field, std::string_view what, std::size_t frame) const
    {
        if (firstLine != 0)
            fail(field.line,
                 fmt::format("a second {} for frame {}; the first is on line {}", what, frame, firstLine));
    }

    PendingTransform& transformOf(PendingFrame& frame, std::string_view name, const Field& field) const
    {
        if (name.empty())
            fail(field.line, fmt::format("expected a transform name before \"{}\"", transformSuffix));
        for (PendingTransform& pending : frame.transforms) {
            if (pending.transform.name == name)
                return pending;
        }
        frame.transforms.push_back({TrackedTransform{std::string(name), Eigen::Matrix4d::Identity(), true}});
        return frame.transforms.back();
    }

    void readMatrix(const Field& field, PendingTransform& pending, std::size_t frame) const
    {
        checkFirst(pending.matrixLine, field,
                   fmt::format("matrix of \"{}\"", TrackingRecordingError::excerpt(pending.transform.name)),
                   frame);
        const std::vector<std::string_view> values = TextLines::split(field.value);
        if (values.size() != 16)
            fail(field.line, fmt::format("expected the 16 values of a 4x4 matrix row by row, found {} values",
                                         values.size()));
        for (int i = 0; i < 16; ++i)
            pending.transform.matrix(i / 4, i % 4) = number(field, values[i], "a matrix value");
        pending.matrixLine = field.line;
    }

    void readStatus(const Field& field, PendingTransform& pending, std::size_t frame) const
    {
        checkFirst(pending.statusLine, field,
                   fmt::format("status of \"{}\"", TrackingRecordingError::excerpt(pending.transform.name)),
                   frame);
        if (field.value.empty())
            fail(field.line,
                 fmt::format("expected a status ({} or another word for not valid)", validStatus));
        pending.transform.valid = field.value == validStatus;
        pending.statusLine = field.line;
    }

    double number(const Field& field, std::string_view text, std::string_view what) const
    {
        if (const std::optional<double> value = TextLines::finiteNumber(text))
            return *value;
        fail(field.line,
             fmt::format("expected {}, found \"{}\"", what, TrackingRecordingError::excerpt(text)));
    }

    TrackingRecording assemble() const
    {
        TrackingRecording recording;
        recording.sourceName = m_source;
        recording.frames.reserve(m_frames.size());
        for (std::size_t i = 0; i < m_frames.size(); ++i)
            recording.frames.push_back(assembleFrame(i));
        return recording;
    }

    TrackingFrame assembleFrame(std::size_t index) const
    {
        const PendingFrame& pending = m_frames[index];
        if (!pending.timestamp)
            fail(requiredField("DimSize").line,
                 fmt::format("DimSize declares {} frames but frame {} has no timestamp", m_frames.size(),
                             index));
        TrackingFrame frame{*pending.timestamp, {}};
        for (const PendingTransform& transform : pending.transforms) {
            if (transform.matrixLine == 0)
                fail(transform.statusLine,
                     fmt::format("a status for transform \"{}\" of frame {}, which has no matrix",
                                 TrackingRecordingError::excerpt(transform.transform.name), index));
            frame.transforms.push_back(transform.transform);
        }
        return frame;
    }

    [[noreturn]] void fail(int line, std::string reason) const
    {
        throw TrackingRecordingError(m_source, line, std::move(reason));
    }

    std::string_view m_text;
    std::string m_source;
    std::vector<Field> m_fields;
    std::vector<PendingFrame> m_frames;
};

class Writer
{
public:
    Writer(const TrackingRecording& recording, std::string_view target)
        : m_recording(recording), m_target(target)
    {
    }

    std::string write()
    {
        m_text = fmt::format(
            "ObjectType = Image\nNDims = 3\nDimSize = 0 0 {}\nKinds = domain domain list\n"
            "ElementType = MET_UCHAR\n",
            m_recording.frames.size());
        for (std::size_t i = 0; i < m_recording.frames.size(); ++i)
            writeFrame(i);
        m_text += fmt::format("{} = LOCAL\n", dataFileKey);
        return std::move(m_text);
    }

private:
    void writeFrame(std::size_t index)
    {
        const TrackingFrame& frame = m_recording.frames[index];
        const std::string prefix = fmt::format("{}{:04}_", framePrefix, index);
        for (const TrackedTransform& transform : frame.transforms) {
            checkTransform(frame, transform, index);
            m_text += fmt::format("{}{}{} =", prefix, transform.name, transformSuffix);
            for (int i = 0; i < 16; ++i)
                m_text += fmt::format(" {}", transform.matrix(i / 4, i % 4));
            m_text += fmt::format("\n{}{}{} = {}\n", prefix, transform.name, statusSuffix,
                                  transform.valid ? validStatus : invalidStatus);
        }
        if (!std::isfinite(frame.timestamp))
            fail(fmt::format("frame {} has the timestamp {}, which is not a finite number", index,
                             frame.timestamp));
        m_text += fmt::format("{}{} = {}\n", prefix, timestampField, frame.timestamp);
    }

    // Names become part of a key, so they must not hold what ends a key or a line.
    void checkTransform(const TrackingFrame& frame, const TrackedTransform& transform,
                        std::size_t index) const
    {
        const std::string& name = transform.name;
        const bool printable = std::all_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) > ' ' && c != '=' && c != 0x7F;
        });
        if (name.empty() || !printable)
            fail(
                fmt::format("the transform name \"{}\" of frame {} cannot be a key: it must be non-empty, "
                            "without blanks, control characters or '='",
                            name, index));
        if (frame.find(name) != &transform)
            fail(fmt::format("frame {} holds the transform \"{}\" twice", index, name));
        if (!transform.matrix.allFinite())
            fail(fmt::format("the transform \"{}\" of frame {} holds a value that is not a finite number",
                             name, index));
    }

    [[noreturn]] void fail(std::string reason) const
    {
        throw TrackingRecordingError(m_target, 0, std::move(reason));
    }

    const TrackingRecording& m_recording;
    std::string m_target;
    std::string m_text;
};

}  // namespace

std::string SequenceMetafile::toText(const TrackingRecording& recording, std::string_view targetName)
{
    return Writer(recording, targetName).write();
}

TrackingRecording SequenceMetafile::fromText(std::string_view text, std::string_view sourceName)
{
    return Reader(text, sourceName).read();
}

}  // namespace Tesselon
