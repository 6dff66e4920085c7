#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

// OpenIGTLink puts every number on the wire in network byte order.
namespace Tesselon::BigEndian {

template <class T>
T swapped(T value)
{
    static_assert(std::is_integral_v<T>);
    if constexpr (std::endian::native == std::endian::big || sizeof(T) == 1)
        return value;
    else if constexpr (sizeof(T) == 2)
        return static_cast<T>(__builtin_bswap16(static_cast<std::uint16_t>(value)));
    else if constexpr (sizeof(T) == 4)
        return static_cast<T>(__builtin_bswap32(static_cast<std::uint32_t>(value)));
    else
        return static_cast<T>(__builtin_bswap64(static_cast<std::uint64_t>(value)));
}

template <class T>
T read(const std::uint8_t* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return swapped(value);
}

template <class T>
void append(std::vector<std::uint8_t>& bytes, T value)
{
    value = swapped(value);
    const auto* first = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), first, first + sizeof(T));
}

}  // namespace Tesselon::BigEndian
