#include "host/core/io/PropertiesFile.h"

#include "host/core/io/FileAccess.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <fmt/format.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace Tesselon {

namespace {

const QString propertiesTag = QStringLiteral("properties");
const QString paramTag = QStringLiteral("param");
const QString attributeTag = QStringLiteral("attribute");
const QString nameKey = QStringLiteral("name");
const QString typeKey = QStringLiteral("type");
const QString valueKey = QStringLiteral("value");
// Far deeper than any workspace, and shallow enough for the recursive reading and the Properties tree.
constexpr std::size_t deepestNesting = 128;

// The Char production of XML 1.0: anything else cannot appear in a document, not even escaped.
bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

class Writer
{
public:
    explicit Writer(std::string source) : m_source(std::move(source)) {}

    QByteArray write(const Properties& properties)
    {
        QByteArray bytes;
        QXmlStreamWriter xml(&bytes);
        xml.setAutoFormatting(true);
        xml.setAutoFormattingIndent(4);
        xml.writeStartDocument();
        writeProperties(xml, properties, properties.name());
        xml.writeEndDocument();
        return bytes;
    }

private:
    void writeProperties(QXmlStreamWriter& xml, const Properties& properties, const std::string& path)
    {
        xml.writeStartElement(propertiesTag);
        xml.writeAttribute(nameKey, checked(properties.name(), "the name", path));
        for (const std::string& name : properties.paramNames())
            writeParam(xml, properties, name, path);
        for (const Properties* child : properties.subProperties())
            writeProperties(xml, *child, path + "/" + child->name());
        xml.writeEndElement();
    }

    void writeParam(QXmlStreamWriter& xml, const Properties& properties, const std::string& name,
                    const std::string& path)
    {
        const std::string what = fmt::format("parameter \"{}\"", name);
        xml.writeStartElement(paramTag);
        xml.writeAttribute(nameKey, checked(name, "the name of " + what, path));
        if (const ParamType type = properties.paramType(name); type != ParamType::Unknown)
            xml.writeAttribute(typeKey, QString::number(static_cast<int>(type)));
        xml.writeAttribute(valueKey, checked(*properties.paramText(name), "the value of " + what, path));
        for (const auto& [key, value] : properties.paramAttributes(name)) {
            xml.writeEmptyElement(attributeTag);
            xml.writeAttribute(nameKey, checked(key, "an attribute name of " + what, path));
            xml.writeAttribute(valueKey,
                               checked(value, fmt::format("attribute \"{}\" of {}", key, what), path));
        }
        xml.writeEndElement();
    }

    QString checked(const std::string& text, std::string_view what, const std::string& path) const
    {
        const QString converted = QString::fromStdString(text);
        if (converted.toStdString() != text)
            fail(fmt::format("{} in properties \"{}\" is not valid UTF-8", what, path));
        for (const char32_t c : converted.toUcs4()) {
            if (!isXmlCharacter(c))
                fail(fmt::format(
                    "{} in properties \"{}\" holds the character U+{:04X}, which XML files cannot hold", what,
                    path, static_cast<unsigned>(c)));
        }
        return converted;
    }

    [[noreturn]] void fail(std::string reason) const
    {
        throw PropertiesFileError(m_source, 0, std::move(reason));
    }

    std::string m_source;
};

class Reader
{
public:
    Reader(std::string_view xml, std::string_view source)
        : m_xml(QByteArray(xml.data(), static_cast<int>(xml.size()))), m_source(source)
    {
    }

    Properties read()
    {
        Properties result;
        readRoot(result);
        while (nextToken() != QXmlStreamReader::EndDocument) {
            if (m_xml.isCharacters() && !m_xml.isWhitespace())
                fail("unexpected text after the root element");
        }
        return result;
    }

private:
    void readRoot(Properties& result)
    {
        while (true) {
            const auto token = nextToken();
            if (token == QXmlStreamReader::StartElement)
                break;
            if (token == QXmlStreamReader::EndDocument)
                fail("expected a <properties> element, found none");
            if (m_xml.isCharacters() && !m_xml.isWhitespace())
                fail("unexpected text before the <properties> element");
        }
        if (m_xml.name() != propertiesTag)
            fail(fmt::format("expected the root element <properties>, found <{}>", elementName()));
        readProperties(result);
    }

    // At the start tag of a <properties> element: reads it up to its end tag.
    void readProperties(Properties& target)
    {
        checkAttributes({nameKey});
        target.setName(requiredAttribute(nameKey));
        while (true) {
            const auto token = nextToken();
            if (token == QXmlStreamReader::EndElement)
                return;
            if (token == QXmlStreamReader::StartElement && m_xml.name() == paramTag)
                readParam(target);
            else if (token == QXmlStreamReader::StartElement && m_xml.name() == propertiesTag)
                readProperties(*target.addSubProperties(std::string()));
            else if (token == QXmlStreamReader::StartElement)
                failUnknownElement("<param> or <properties>");
            else
                rejectText();
        }
    }

    void readParam(Properties& target)
    {
        checkAttributes({nameKey, typeKey, valueKey});
        const std::string name = requiredAttribute(nameKey);
        if (target.hasParam(name))
            fail(fmt::format("parameter \"{}\" appears twice", PropertiesFileError::excerpt(name)));
        std::string value = requiredAttribute(valueKey);
        target.setParamText(name, std::move(value));
        if (m_xml.attributes().hasAttribute(typeKey))
            target.setParamType(name, readType(name));
        while (true) {
            const auto token = nextToken();
            if (token == QXmlStreamReader::EndElement)
                return;
            if (token == QXmlStreamReader::StartElement && m_xml.name() == attributeTag)
                readAttribute(target, name);
            else if (token == QXmlStreamReader::StartElement)
                failUnknownElement("<attribute>");
            else
                rejectText();
        }
    }

    void readAttribute(Properties& target, const std::string& param)
    {
        checkAttributes({nameKey, valueKey});
        std::string key = requiredAttribute(nameKey);
        if (target.paramAttribute(param, key))
            fail(fmt::format("attribute \"{}\" of parameter \"{}\" appears twice",
                             PropertiesFileError::excerpt(key), PropertiesFileError::excerpt(param)));
        target.setParamAttribute(param, std::move(key), requiredAttribute(valueKey));
        while (nextToken() != QXmlStreamReader::EndElement) {
            if (m_xml.isStartElement())
                failUnknownElement("no element inside <attribute>");
            rejectText();
        }
    }

    ParamType readType(const std::string& param)
    {
        const std::string text = m_xml.attributes().value(typeKey).toString().toStdString();
        const auto number = PropertyCodec<long long>::fromText(text);
        if (!number || !isParamTypeNumber(*number))
            fail(fmt::format("bad type number \"{}\" for parameter \"{}\"; expected an integer from 0 to {}",
                             PropertiesFileError::excerpt(text), PropertiesFileError::excerpt(param),
                             static_cast<int>(ParamType::Enumeration)));
        return static_cast<ParamType>(*number);
    }

    // Reads the next token that matters, failing on malformed XML and on constructs this form never uses.
    QXmlStreamReader::TokenType nextToken()
    {
        while (true) {
            const auto token = m_xml.readNext();
            if (m_xml.hasError())
                failMalformed();
            switch (token) {
                case QXmlStreamReader::StartElement:
                    if (m_open.size() == deepestNesting)
                        fail(fmt::format("elements nest deeper than the {} levels a properties file may hold",
                                         deepestNesting));
                    m_open.emplace_back(elementName(), lineNumber());
                    return token;
                case QXmlStreamReader::EndElement:
                    m_open.pop_back();
                    return token;
                case QXmlStreamReader::DTD:
                    fail("document type declarations are not supported");
                case QXmlStreamReader::EntityReference:
                    fail(fmt::format("unknown entity \"&{};\"", elementName()));
                case QXmlStreamReader::StartDocument:
                case QXmlStreamReader::Comment:
                case QXmlStreamReader::ProcessingInstruction:
                    continue;
                default:
                    return token;
            }
        }
    }

    void checkAttributes(std::initializer_list<QString> allowed)
    {
        for (const QXmlStreamAttribute& attribute : m_xml.attributes()) {
            if (std::find(allowed.begin(), allowed.end(), attribute.qualifiedName()) == allowed.end())
                fail(fmt::format("unknown attribute \"{}\" on <{}>",
                                 excerpt(attribute.qualifiedName().toString()), elementName()));
        }
    }

    std::string requiredAttribute(const QString& key)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (!attributes.hasAttribute(key))
            fail(fmt::format("missing attribute \"{}\" on <{}>", key.toStdString(), elementName()));
        return attributes.value(key).toString().toStdString();
    }

    void rejectText()
    {
        if (m_xml.isCharacters() && !m_xml.isWhitespace())
            fail(fmt::format("unexpected text \"{}\" inside <{}>", excerpt(m_xml.text().toString().trimmed()),
                             m_open.back().first));
    }

    [[noreturn]] void failUnknownElement(std::string_view expected)
    {
        const std::string name = elementName();
        m_open.pop_back();
        fail(fmt::format("unknown element <{}> inside <{}>; expected {}", name, m_open.back().first,
                         expected));
    }

    [[noreturn]] void failMalformed()
    {
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !m_open.empty())
            fail(fmt::format("the text ends before <{}> (opened on line {}) is closed", m_open.back().first,
                             m_open.back().second));
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            fail("expected a <properties> element, found none");
        std::string reason = fmt::format("malformed XML: {}", m_xml.errorString().toStdString());
        if (!m_open.empty())
            reason +=
                fmt::format(" (inside <{}> opened on line {})", m_open.back().first, m_open.back().second);
        fail(std::move(reason));
    }

    [[noreturn]] void fail(std::string reason) const
    {
        throw PropertiesFileError(m_source, lineNumber(), std::move(reason));
    }

    // Names come from the file, so they are shortened like any quoted input.
    std::string elementName() const { return excerpt(m_xml.name().toString()); }

    static std::string excerpt(const QString& text)
    {
        return PropertiesFileError::excerpt(text.toStdString());
    }

    int lineNumber() const { return static_cast<int>(m_xml.lineNumber()); }

    QXmlStreamReader m_xml;
    std::string m_source;
    // Open elements with the line of their start tag, for messages about unclosed elements.
    std::vector<std::pair<std::string, int>> m_open;
};

}  // namespace

std::string PropertiesFile::toXml(const Properties& properties)
{
    return Writer("").write(properties).toStdString();
}

Properties PropertiesFile::fromXml(std::string_view xml, std::string_view sourceName)
{
    return Reader(xml, sourceName).read();
}

void PropertiesFile::write(const Properties& properties, const std::string& path)
{
    const QByteArray bytes = Writer(path).write(properties);
    FileAccess::writeAtomically<PropertiesFileError>(
        path, {std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))});
}

Properties PropertiesFile::read(const std::string& path)
{
    return FileAccess::withinMemory<PropertiesFileError>(path, [&] {
        const QByteArray bytes = FileAccess::readAll<PropertiesFileError>(path);
        return fromXml(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path);
    });
}

}  // namespace Tesselon
