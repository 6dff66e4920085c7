#pragma once

#include "host/core/config/Properties.h"

#include <string>
#include <string_view>

namespace Tesselon {

/// Where an OpenIGTLink server listens, as a user writes it ("HOST" or "HOST:PORT"): the one reading of
/// that text and the one default port, for the command line, the window and workspaces alike.
struct IgtlAddress
{
    /// The port OpenIGTLink servers listen on unless told otherwise.
    static constexpr int defaultPort = 18944;

    std::string host = "localhost";
    int port = defaultPort;

    /// Reads "HOST[:PORT]"; throws std::invalid_argument with a sentence for an empty host or a port that
    /// is not a whole number from 1 to 65535.
    static IgtlAddress parse(std::string_view text);
    /// "HOST:PORT", which `parse` reads back.
    std::string toString() const;
    /// The "host" and "port" parameters of a stream that connects to this address.
    Properties streamConfiguration() const;

    bool operator==(const IgtlAddress&) const = default;
};

}  // namespace Tesselon
