#pragma once

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Tesselon {

/// Whole-file reads and atomic writes for the file formats, each failing with the format's own error
/// type (`Error(path, 0, sentence)`, a `FileFormatError`), so a broken workspace and a broken recording
/// stay distinguishable while the file handling is written once. Only regular files are read: a folder
/// holds no data, and a FIFO or a device may block or never end.
class FileAccess
{
public:
    /// Bytes a file read whole may hold.
    static constexpr std::int64_t largestWholeFile = std::int64_t{1} << 30;
    /// Bytes that compressed data (images) may inflate to, so that a small file cannot tie up the memory
    /// and the time of a much larger one.
    static constexpr std::uint64_t largestInflated = std::uint64_t{1} << 29;

    /// Refuses `path` unless it is a regular file (or a link to one), before anything opens it.
    template <class Error>
    static void requireRegularFile(const std::string& path)
    {
        throwIf<Error>(path, notRegularFile(path));
    }

    /// Why `path` is not a file to read (a folder, a FIFO, a device), or nothing; nothing also when it is
    /// missing, which opening it reports. `what` starts the sentence, for example "the voxel file".
    static std::optional<std::string> notRegularFile(const std::string& path, std::string_view what = "");

    /// Runs `read`, refusing a file that does not fit in the memory left with the format's error rather
    /// than letting the bare allocation failure reach the user.
    template <class Error, class Read>
    static auto withinMemory(const std::string& path, Read&& read) -> decltype(read())
    {
        try {
            return read();
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
        throw Error(path, 0, "does not fit in the memory left; expected a smaller file or more free memory");
    }

    template <class Error>
    static QByteArray readAll(const std::string& path)
    {
        QByteArray bytes;
        throwIf<Error>(path, readAll(path, bytes));
        return bytes;
    }

    /// The header lines of a MetaImage-style file, up to and including "ElementDataFile": the data that
    /// may follow, possibly large, is not read.
    template <class Error>
    static QByteArray readMetaHeader(const std::string& path)
    {
        QByteArray bytes;
        throwIf<Error>(path, readMetaHeader(path, bytes));
        return bytes;
    }

    /// Writes the parts one after the other into a temporary file that replaces `path` only when all is
    /// written, so a failed save never leaves a truncated file.
    template <class Error>
    static void writeAtomically(const std::string& path, std::initializer_list<std::string_view> parts)
    {
        throwIf<Error>(path, write(path, parts));
    }

private:
    template <class Error>
    static void throwIf(const std::string& path, const std::optional<std::string>& problem)
    {
        if (problem)
            throw Error(path, 0, *problem);
    }

    // Each returns what went wrong, or nothing.
    static std::optional<std::string> readAll(const std::string& path, QByteArray& bytes);
    static std::optional<std::string> readMetaHeader(const std::string& path, QByteArray& bytes);
    static std::optional<std::string> write(const std::string& path,
                                            std::initializer_list<std::string_view> parts);
};

}  // namespace Tesselon
