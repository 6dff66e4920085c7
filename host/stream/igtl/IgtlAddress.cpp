#include "host/stream/igtl/IgtlAddress.h"

#include <fmt/core.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace Tesselon {

IgtlAddress IgtlAddress::parse(std::string_view text)
{
    IgtlAddress address;
    const auto colon = text.rfind(':');
    address.host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) {
        const std::string_view port = text.substr(colon + 1);
        // At most five digits, so the number cannot overflow before the range check.
        const bool digits =
            !port.empty() && port.size() <= 5 &&
            std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); });
        address.port = digits ? std::stoi(std::string(port)) : 0;
    }
    if (address.host.empty() || address.port < 1 || address.port > 65535)
        throw std::invalid_argument(fmt::format(
            "An OpenIGTLink server is written HOST or HOST:PORT with a port from 1 to 65535, not \"{}\".",
            text));
    return address;
}

std::string IgtlAddress::toString() const
{
    return fmt::format("{}:{}", host, port);
}

Properties IgtlAddress::streamConfiguration() const
{
    Properties configuration;
    configuration.setParam("host", host);
    configuration.setParam("port", port);
    return configuration;
}

}  // namespace Tesselon
