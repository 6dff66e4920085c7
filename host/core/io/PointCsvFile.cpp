#include "host/core/io/PointCsvFile.h"

#include "host/core/config/PropertyCodec.h"
#include "host/core/io/PointListFileError.h"
#include "host/core/io/TextLines.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace Tesselon {

namespace {

constexpr std::string_view header = "x,y,z,label";

class Reader
{
public:
    Reader(std::string_view text, std::string_view source) : m_text(text), m_source(source) {}

    PointList read()
    {
        PointList list;
        list.sourceName = m_source;
        bool first = true;
        TextLines lines(m_text, TextLines::Comments::Skipped, m_source, &TextLines::fail<PointListFileError>);
        while (const std::optional<TextLines::Line> line = lines.next()) {
            m_line = line->number;
            const std::vector<std::string> fields = splitFields(line->text);
            if (!(first && isHeader(fields)))
                list.points.push_back(readPoint(fields));
            first = false;
        }
        return list;
    }

private:
    // A header names the columns; anything else in the first row must be a point.
    bool isHeader(const std::vector<std::string>& fields) const
    {
        if (PropertyCodec<double>::fromText(fields.front()))
            return false;
        std::string names;
        for (const std::string& field : fields)
            names += (names.empty() ? "" : ",") + TextLines::lowerCase(field);
        if (names == header || names == header.substr(0, 5))
            return true;
        fail(fmt::format("expected the header \"x,y,z\" or \"x,y,z,label\", or a point, found \"{}\"",
                         PointListFileError::excerpt(names)));
    }

    PointList::Point readPoint(const std::vector<std::string>& fields) const
    {
        if (fields.size() != 3 && fields.size() != 4)
            fail(fmt::format("expected 3 coordinates and an optional label, found {} values", fields.size()));
        PointList::Point point;
        for (int axis = 0; axis < 3; ++axis)
            point.position[axis] = coordinate(fields[axis], "xyz"[axis]);
        if (fields.size() == 4)
            point.label = fields[3];
        return point;
    }

    double coordinate(const std::string& text, char axis) const
    {
        if (const std::optional<double> value = TextLines::finiteNumber(text))
            return *value;
        fail(fmt::format("expected a finite number for {}, found \"{}\"", axis,
                         PointListFileError::excerpt(text)));
    }

    std::vector<std::string> splitFields(std::string_view line) const
    {
        std::vector<std::string> fields;
        std::size_t position = 0;
        while (true) {
            while (position < line.size() && TextLines::isBlank(line[position]))
                ++position;
            if (position < line.size() && line[position] == '"')
                fields.push_back(quotedField(line, position));
            else {
                const std::size_t end = std::min(line.find(',', position), line.size());
                fields.emplace_back(TextLines::trimmed(line.substr(position, end - position)));
                position = end;
            }
            if (position == line.size())
                return fields;
            ++position;  // the comma
        }
    }

    // At the opening quote: reads up to the closing one and the blanks after it, leaving `position` at the
    // comma or the end of the line.
    std::string quotedField(std::string_view line, std::size_t& position) const
    {
        std::string field;
        for (++position; position < line.size(); ++position) {
            if (line[position] != '"')
                field += line[position];
            else if (position + 1 < line.size() && line[position + 1] == '"')
                field += line[++position];
            else
                break;
        }
        if (position == line.size())
            fail("a quoted label is not closed; expected '\"' before the end of the line");
        ++position;
        while (position < line.size() && TextLines::isBlank(line[position]))
            ++position;
        if (position < line.size() && line[position] != ',')
            fail(fmt::format("expected ',' or the end of the line after a quoted label, found '{}'",
                             line[position]));
        return field;
    }

    [[noreturn]] void fail(std::string reason) const
    {
        throw PointListFileError(m_source, m_line, std::move(reason));
    }

    std::string_view m_text;
    std::string m_source;
    int m_line = 0;
};

std::string labelField(const std::string& label, std::size_t index, std::string_view target)
{
    if (label.find_first_of("\r\n") != std::string::npos)
        throw PointListFileError(
            std::string(target), 0,
            fmt::format("the label of point {} holds a line break, which CSV lines cannot hold", index));
    const bool plain =
        label.find_first_of(",\"") == std::string::npos &&
        (label.empty() || (!TextLines::isBlank(label.front()) && !TextLines::isBlank(label.back())));
    if (plain)
        return label;
    std::string quoted = "\"";
    for (const char c : label)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

}  // namespace

std::string PointCsvFile::toText(const PointList& points, std::string_view targetName)
{
    std::string text = std::string(header) + '\n';
    for (std::size_t index = 0; index < points.points.size(); ++index) {
        const PointList::Point& point = points.points[index];
        if (!point.position.allFinite())
            throw PointListFileError(
                std::string(targetName), 0,
                fmt::format("point {} (\"{}\") has a position that is not finite", index, point.label));
        text += fmt::format("{},{},{},{}\n", PropertyCodec<double>::toText(point.position.x()),
                            PropertyCodec<double>::toText(point.position.y()),
                            PropertyCodec<double>::toText(point.position.z()),
                            labelField(point.label, index, targetName));
    }
    return text;
}

PointList PointCsvFile::fromText(std::string_view text, std::string_view sourceName)
{
    return Reader(text, sourceName).read();
}

}  // namespace Tesselon
