#pragma once

#include "host/stream/igtl/IgtlMessage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Tesselon {

/// Splits the bytes an OpenIGTLink peer sends into messages and decodes those that carry poses
/// (TRANSFORM, TDATA, QTDATA, POSITION) in both header versions. Version 2 wraps the body in an extended
/// header and metadata, which the OpenIGTLink library we build on does not know: the reader unwraps them,
/// checks the CRC over the whole body and hands the content to the library. Never throws on bad input:
/// each bad message becomes a `Problem` and is skipped.
class IgtlMessageReader
{
public:
    enum class Problem
    {
        None,
        BadHeader,      ///< not an OpenIGTLink header: the byte stream cannot be followed further
        AbsurdSize,     ///< a body too large to be what its header claims: the same
        BadCrc,         ///< the body does not match its CRC
        TruncatedBody,  ///< the body is shorter than its type or its extended header needs
        MalformedBody,  ///< the body has a size or content its type does not allow
        UnknownType,    ///< a message of a type without poses (skipped whole)
    };

    struct Outcome
    {
        Problem problem = Problem::None;
        std::string detail;  ///< a sentence for the log when there is a problem
        std::optional<IgtlMessage> message;
    };

    /// Bodies of pose messages longer than this are refused (a TDATA of 10 000 tools is 700 kB).
    static constexpr std::uint64_t maxPoseBodySize = 1 << 20;
    /// Messages of other types (images, for example) are skipped up to this size.
    static constexpr std::uint64_t maxSkippedBodySize = std::uint64_t(1) << 30;

    void append(std::span<const std::uint8_t> bytes);
    /// The next message or problem, or nothing until more bytes arrive. After `BadHeader` or `AbsurdSize`
    /// the buffered bytes are dropped, since no later message boundary can be trusted: reconnect.
    std::optional<Outcome> next();
    /// Whether a message has begun but not ended: when the peer goes away now, its body was cut short.
    bool isMidMessage() const { return m_buffer.size() > m_start || m_skipRemaining > 0; }
    /// The bytes held between calls: those not yet read, and those read since the last `append`.
    std::size_t heldBytes() const { return m_buffer.size(); }
    void clear();

    /// Decodes one whole message: `header` is 58 bytes, `body` as long as the header says.
    static Outcome decode(std::span<const std::uint8_t> header, std::span<const std::uint8_t> body);
    static const char* problemName(Problem problem);

private:
    std::optional<Outcome> skipUnknownBody();

    std::vector<std::uint8_t> m_buffer;
    std::size_t m_start = 0;
    std::uint64_t m_skipRemaining = 0;
};

}  // namespace Tesselon
