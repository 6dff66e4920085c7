#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

// Helpers of the file reader harnesses: the input as text, as a file for readers that take a path, and a
// loud stop when a property that must hold does not, so that libFuzzer keeps the input.
namespace Tesselon::Fuzz {

inline std::string_view textOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

/// A folder of this process, removed with what it holds when the process ends normally.
struct TemporaryFolder
{
    TemporaryFolder() { std::filesystem::create_directories(path); }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tesselon-fuzz-" + std::to_string(::getpid()));
};

/// Writes the input to a file of this name in a folder of this process, replaced at every call.
inline std::string writtenAs(const std::string& name, std::string_view bytes)
{
    static const TemporaryFolder folder;
    const std::string path = (folder.path / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline void require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "Fuzz property broken: %s\n", what);
    std::abort();
}

/// The round trip of the text formats: the input is refused with `Error` or read; what is read is written
/// (or refused with `Error`, for values the format cannot hold), and what is written must read back the same.
template <class Error, class Read, class Write, class Same>
void readWriteRead(std::string_view text, Read read, Write write, Same same)
{
    std::optional<decltype(read(text))> value;
    std::string written;
    try {
        value = read(text);
        written = write(*value);
    } catch (const Error&) {
        return;
    }
    require(same(read(written), *value), "what is read writes and reads back the same");
}

}  // namespace Tesselon::Fuzz
