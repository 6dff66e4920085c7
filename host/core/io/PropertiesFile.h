#pragma once

#include "host/core/config/Properties.h"
#include "host/core/io/PropertiesFileError.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// The XML file form of `Properties`:
///
///     <?xml version="1.0" encoding="UTF-8"?>
///     <properties name="Tracking">
///         <param name="rate" type="3" value="0.1"/>
///         <param name="mode" type="8" value="1">
///             <attribute name="values" value="Pivot,Direction"/>
///         </param>
///         <properties name="tool"/>
///     </properties>
///
/// Values, names and attribute texts live in XML attributes, where the writer escapes tabs, line
/// breaks and carriage returns, so every text round-trips exactly. The type number is left out when
/// unknown (0). Texts must be valid UTF-8 made of characters XML 1.0 can hold: the other control
/// characters (U+0000 to U+001F except tab, line feed and carriage return) and U+FFFE, U+FFFF are
/// refused when writing. Reading is strict: unknown elements or attributes, duplicate parameter or
/// attribute names and stray text are errors. Every failure throws `PropertiesFileError`.
class PropertiesFile
{
public:
    static std::string toXml(const Properties& properties);
    /// `sourceName` names the text in error messages, typically its file path.
    static Properties fromXml(std::string_view xml, std::string_view sourceName = "");

    /// Writes atomically: the file is either replaced whole or left as it was.
    static void write(const Properties& properties, const std::string& path);
    static Properties read(const std::string& path);
};

}  // namespace Tesselon
