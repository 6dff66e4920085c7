#include "host/core/io/MetaImageHeader.h"

#include "host/core/config/PropertyCodec.h"
#include "host/core/io/ImageFileError.h"
#include "host/core/io/TextLines.h"
#include "host/core/model/SharedImageSet.h"

#include <Eigen/LU>

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

namespace {

constexpr std::string_view dataFileKey = "ElementDataFile";
// VTK's voxel reader copies keys, and values such as the name or the comment, into buffers of 255 bytes
// without checking their length.
constexpr std::size_t longestKeyOrValue = 254;

struct ElementType
{
    std::string_view name;
    int size;
};

constexpr std::array<ElementType, 8> elementTypes{{
    {"MET_CHAR", 1},
    {"MET_UCHAR", 1},
    {"MET_SHORT", 2},
    {"MET_USHORT", 2},
    {"MET_INT", 4},
    {"MET_UINT", 4},
    {"MET_FLOAT", 4},
    {"MET_DOUBLE", 8},
}};

struct ModalityName
{
    std::string_view name;
    int modality;
};

// MetaImage has no X-ray modality: such images are written as "other" and read back as unknown.
constexpr std::array<ModalityName, 6> modalityNames{{
    {"MET_MOD_CT", SharedImageSet::CT},
    {"MET_MOD_MR", SharedImageSet::MR},
    {"MET_MOD_US", SharedImageSet::Ultrasound},
    {"MET_MOD_NM", SharedImageSet::NuclearMedicine},
    {"MET_MOD_UNKNOWN", SharedImageSet::UnknownModality},
    {"MET_MOD_OTHER", SharedImageSet::UnknownModality},
}};

std::string joined(const double* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? " " : "") + PropertyCodec<double>::toText(values[i]);
    return text;
}

struct Field
{
    int line = 0;
    std::string_view key;
    std::string_view value;
};

class Reader
{
public:
    Reader(std::string_view text, std::string_view source) : m_text(text), m_source(source) {}

    MetaImageHeader read()
    {
        readFields();
        checkSupported();
        MetaImageHeader header;
        header.size = m_size;
        const int count = dimensionCount();
        readDimensions(header, count);
        readGeometry(header, count);
        header.elementType = elementType();
        header.compressed = flag("CompressedData", false);
        header.bigEndian = byteOrder();
        header.compressedSize = compressedSize();
        header.modality = modality();
        header.dataFile = dataFile();
        return header;
    }

private:
    void readFields()
    {
        TextLines lines(m_text, TextLines::Comments::Kept, m_source, &TextLines::fail<ImageFileError>);
        while (const std::optional<TextLines::Line> line = lines.next()) {
            const Field field = splitField(*line);
            if (const auto [first, added] = m_fields.emplace(field.key, field); !added)
                fail(field.line, fmt::format("the key \"{}\" appears twice; first on line {}",
                                             ImageFileError::excerpt(field.key), first->second.line));
            if (field.key == dataFileKey) {
                m_size = line->end;
                return;
            }
        }
        fail(0, fmt::format("the header ends without \"{} = ...\"", dataFileKey));
    }

    Field splitField(const TextLines::Line& line) const
    {
        const std::optional<TextLines::KeyValue> field = TextLines::splitKeyValue(line.text);
        if (!field)
            fail(line.number,
                 fmt::format("expected \"key = value\", found \"{}\"", ImageFileError::excerpt(line.text)));
        if (field->key.empty())
            fail(line.number, "expected a key before '='");
        if (const std::size_t length = std::max(field->key.size(), field->value.size());
            length > longestKeyOrValue)
            fail(line.number,
                 fmt::format("a key or value holds {} characters; MetaImage keys and values hold at "
                             "most {}",
                             length, longestKeyOrValue));
        return {line.number, field->key, field->value};
    }

    // Forms of the format that the voxel reader would read differently from what this header describes.
    void checkSupported() const
    {
        expectValue("ObjectType", "Image");
        expectValue("ElementNumberOfChannels", "1");
        expectValue("HeaderSize", "0");
        if (!flag("BinaryData", true))
            fail(m_fields.at("BinaryData").line,
                 "voxels written as text (BinaryData = False) are not supported");
    }

    void expectValue(std::string_view key, std::string_view expected) const
    {
        const Field* field = find(key);
        if (field && field->value != expected)
            fail(field->line, fmt::format("expected \"{} = {}\", found \"{}\"", key, expected,
                                          ImageFileError::excerpt(field->value)));
    }

    int dimensionCount() const
    {
        const Field& field = required("NDims");
        const auto count = PropertyCodec<int>::fromText(field.value);
        if (!count || (*count != 2 && *count != 3))
            fail(field.line, fmt::format("expected 2 or 3 dimensions (NDims), found \"{}\"",
                                         ImageFileError::excerpt(field.value)));
        return *count;
    }

    void readDimensions(MetaImageHeader& header, int count) const
    {
        const Field& field = required("DimSize");
        const std::vector<std::string_view> sizes = TextLines::split(field.value);
        if (sizes.size() != static_cast<std::size_t>(count))
            fail(field.line, fmt::format("expected {} sizes (NDims), found {}", count, sizes.size()));
        for (int axis = 0; axis < count; ++axis) {
            const auto size = PropertyCodec<int>::fromText(sizes[axis]);
            if (!size || *size < 1)
                fail(field.line, fmt::format("expected a positive size, found \"{}\"",
                                             ImageFileError::excerpt(sizes[axis])));
            header.dimensions[axis] = *size;
        }
    }

    void readGeometry(MetaImageHeader& header, int count) const
    {
        // The element size is the spacing unless the voxels leave gaps or overlap.
        if (const Field* field = find("ElementSpacing") ? find("ElementSpacing") : find("ElementSize")) {
            numbers(*field, count, "a spacing", header.spacing.data());
            if (header.spacing.minCoeff() <= 0)
                fail(field->line, fmt::format("expected positive spacings, found \"{}\"",
                                              ImageFileError::excerpt(field->value)));
        }
        if (const Field* field = synonym({"Offset", "Origin", "Position"}))
            numbers(*field, count, "an offset", header.offset.data());
        if (const Field* field = synonym({"TransformMatrix", "Rotation", "Orientation"}))
            readDirection(*field, count, header.direction);
    }

    void readDirection(const Field& field, int count, Eigen::Matrix3d& direction) const
    {
        std::array<double, 9> values{};
        numbers(field, count * count, "a direction matrix", values.data());
        for (int column = 0; column < count; ++column)
            for (int row = 0; row < count; ++row)
                direction(row, column) = values[column * count + row];
        if (direction.determinant() == 0)
            fail(field.line, "the direction matrix is singular; expected independent axis directions");
    }

    void numbers(const Field& field, int count, std::string_view what, double* out) const
    {
        const std::vector<std::string_view> tokens = TextLines::split(field.value);
        if (tokens.size() != static_cast<std::size_t>(count))
            fail(field.line, fmt::format("expected {} numbers for {}, found {}", count, what, tokens.size()));
        for (int i = 0; i < count; ++i) {
            const std::optional<double> value = TextLines::finiteNumber(tokens[i]);
            if (!value)
                fail(field.line, fmt::format("expected a finite number in {}, found \"{}\"", what,
                                             ImageFileError::excerpt(tokens[i])));
            out[i] = *value;
        }
    }

    std::string elementType() const
    {
        const Field& field = required("ElementType");
        const auto known = std::find_if(elementTypes.begin(), elementTypes.end(),
                                        [&](const ElementType& type) { return type.name == field.value; });
        if (known == elementTypes.end())
            fail(field.line, fmt::format("unsupported ElementType \"{}\"; expected MET_CHAR, MET_UCHAR, "
                                         "MET_SHORT, MET_USHORT, MET_INT, MET_UINT, MET_FLOAT or MET_DOUBLE",
                                         ImageFileError::excerpt(field.value)));
        return std::string(field.value);
    }

    int modality() const
    {
        const Field* field = find("Modality");
        if (!field)
            return SharedImageSet::UnknownModality;
        for (const ModalityName& name : modalityNames)
            if (name.name == field->value)
                return name.modality;
        fail(field->line, fmt::format("unknown Modality \"{}\"; expected MET_MOD_CT, MET_MOD_MR, MET_MOD_US, "
                                      "MET_MOD_NM, MET_MOD_OTHER or MET_MOD_UNKNOWN",
                                      ImageFileError::excerpt(field->value)));
    }

    bool byteOrder() const
    {
        const Field* field = synonym({"BinaryDataByteOrderMSB", "ElementByteOrderMSB"});
        return field ? flag(field->key, false) : false;
    }

    std::optional<long long> compressedSize() const
    {
        const Field* field = find("CompressedDataSize");
        if (!field)
            return std::nullopt;
        const auto size = PropertyCodec<long long>::fromText(field->value);
        if (!size || *size < 0)
            fail(field->line, fmt::format("expected a byte count for CompressedDataSize, found \"{}\"",
                                          ImageFileError::excerpt(field->value)));
        return size;
    }

    std::string dataFile() const
    {
        const Field& field = required(dataFileKey);
        if (field.value == "LIST" || field.value.find('%') != std::string_view::npos)
            fail(field.line,
                 "voxels split over several files are not supported; expected LOCAL or one file name");
        if (field.value.empty())
            fail(field.line, "expected LOCAL or a file name");
        return std::string(field.value);
    }

    bool flag(std::string_view key, bool absent) const
    {
        const Field* field = find(key);
        if (!field)
            return absent;
        const std::string value = TextLines::lowerCase(field->value);
        if (value != "true" && value != "false")
            fail(field->line, fmt::format("expected True or False for {}, found \"{}\"", key,
                                          ImageFileError::excerpt(field->value)));
        return value == "true";
    }

    const Field* synonym(std::initializer_list<std::string_view> keys) const
    {
        const Field* found = nullptr;
        for (const std::string_view key : keys) {
            const Field* field = find(key);
            if (field && found)
                fail(field->line,
                     fmt::format("\"{}\" repeats \"{}\" on line {}", key, found->key, found->line));
            found = found ? found : field;
        }
        return found;
    }

    const Field* find(std::string_view key) const
    {
        const auto field = m_fields.find(key);
        return field == m_fields.end() ? nullptr : &field->second;
    }

    const Field& required(std::string_view key) const
    {
        if (const Field* field = find(key))
            return *field;
        fail(0, fmt::format("the header has no \"{} = ...\"", key));
    }

    [[noreturn]] void fail(int line, std::string reason) const
    {
        throw ImageFileError(m_source, line, std::move(reason));
    }

    std::string_view m_text;
    std::string m_source;
    std::map<std::string_view, Field, std::less<>> m_fields;
    std::size_t m_size = 0;
};

std::string_view modalityName(int modality)
{
    for (const ModalityName& name : modalityNames)
        if (name.modality == modality)
            return name.name;
    return "MET_MOD_OTHER";
}

}  // namespace

int MetaImageHeader::elementSize() const
{
    for (const ElementType& type : elementTypes)
        if (type.name == elementType)
            return type.size;
    return 0;
}

Eigen::Matrix4d MetaImageHeader::imageToWorld() const
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.topLeftCorner<3, 3>() = direction;
    matrix.topRightCorner<3, 1>() = offset;
    return matrix;
}

MetaImageHeader MetaImageHeader::fromText(std::string_view text, std::string_view sourceName)
{
    return Reader(text, sourceName).read();
}

std::string MetaImageHeader::toText() const
{
    std::string text = "ObjectType = Image\nNDims = 3\nBinaryData = True\n";
    text += fmt::format("BinaryDataByteOrderMSB = {}\n", bigEndian ? "True" : "False");
    text += "CompressedData = False\n";
    text += fmt::format("TransformMatrix = {}\n", joined(direction.data(), 9));
    text += fmt::format("Offset = {}\n", joined(offset.data(), 3));
    text += fmt::format("ElementSpacing = {}\n", joined(spacing.data(), 3));
    text += fmt::format("DimSize = {} {} {}\n", dimensions[0], dimensions[1], dimensions[2]);
    if (modality != SharedImageSet::UnknownModality)
        text += fmt::format("Modality = {}\n", modalityName(modality));
    text += fmt::format("ElementType = {}\n", elementType);
    return text + fmt::format("{} = LOCAL\n", dataFileKey);
}

}  // namespace Tesselon
