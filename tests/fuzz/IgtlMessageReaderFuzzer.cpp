#include "host/stream/igtl/BigEndian.h"
#include "host/stream/igtl/IgtlMessageReader.h"
#include "host/stream/igtl/IgtlMessageWriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Feeds a byte stream from a hostile peer to IgtlMessageReader. The first input byte steers the run: its
// low seven bits are the size of the pieces the stream arrives in (0: all at once), its top bit asks for
// every CRC to be made right, so that mutations get past the CRC check into the bodies and the metadata.
namespace {

using Tesselon::IgtlMessageReader;
using Tesselon::IgtlMessageWriter;
namespace BigEndian = Tesselon::BigEndian;

constexpr std::size_t headerSize = IgtlMessageWriter::headerSize;
constexpr std::size_t bodySizeOffset = 42;
constexpr std::size_t crcOffset = 50;
constexpr std::uint8_t repairCrcFlag = 0x80;
constexpr std::uint8_t chunkSizeMask = 0x7f;

void writeBigEndian(std::uint8_t* bytes, std::uint64_t value)
{
    std::vector<std::uint8_t> encoded;
    BigEndian::append(encoded, value);
    std::copy(encoded.begin(), encoded.end(), bytes);
}

// Follows the stream from header to header while the bodies fit, rewriting each CRC.
void repairCrcs(std::vector<std::uint8_t>& stream)
{
    std::size_t offset = 0;
    while (stream.size() - offset >= headerSize) {
        const std::uint64_t bodySize =
            BigEndian::read<std::uint64_t>(stream.data() + offset + bodySizeOffset);
        if (bodySize > stream.size() - offset - headerSize)
            return;
        const auto body = std::span(stream).subspan(offset + headerSize, static_cast<std::size_t>(bodySize));
        writeBigEndian(stream.data() + offset + crcOffset, IgtlMessageWriter::crc(body));
        offset += headerSize + body.size();
    }
}

// Touches every field, so a dangling or half-built outcome shows up under the sanitizers.
std::size_t consume(const IgtlMessageReader::Outcome& outcome)
{
    std::size_t touched = outcome.detail.size() +
                          std::char_traits<char>::length(IgtlMessageReader::problemName(outcome.problem));
    if (!outcome.message)
        return touched;
    touched += outcome.message->type.size() + outcome.message->deviceName.size();
    for (const auto& [key, value] : outcome.message->metadata)
        touched += key.size() + value.size();
    for (const auto& tool : outcome.message->tools)
        touched += tool.name.size() + (tool.valid && tool.toolToTracker.allFinite() ? 1 : 0);
    return touched;
}

void readInPieces(std::span<const std::uint8_t> stream, std::size_t pieceSize)
{
    IgtlMessageReader reader;
    volatile std::size_t sink = 0;
    for (std::size_t offset = 0; offset < stream.size(); offset += pieceSize) {
        reader.append(stream.subspan(offset, std::min(pieceSize, stream.size() - offset)));
        while (const auto outcome = reader.next())
            sink = sink + consume(*outcome);
    }
    sink = sink + (reader.isMidMessage() ? 1 : 0);
}

// decode trusts its caller for the body size, as next() guarantees; the header copy says the truth.
void decodeWhole(std::span<const std::uint8_t> stream, bool repairCrc)
{
    if (stream.size() < headerSize)
        return;
    std::vector<std::uint8_t> header(stream.begin(), stream.begin() + headerSize);
    const auto body = stream.subspan(headerSize);
    writeBigEndian(header.data() + bodySizeOffset, body.size());
    if (repairCrc)
        writeBigEndian(header.data() + crcOffset, IgtlMessageWriter::crc(body));
    volatile std::size_t sink = consume(IgtlMessageReader::decode(header, body));
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool repairCrc = (data[0] & repairCrcFlag) != 0;
    const std::size_t pieceSize = data[0] & chunkSizeMask;
    std::vector<std::uint8_t> stream(data + 1, data + size);
    if (repairCrc)
        repairCrcs(stream);
    readInPieces(stream, pieceSize == 0 ? std::max<std::size_t>(stream.size(), 1) : pieceSize);
    decodeWhole(stream, repairCrc);
    return 0;
}
