#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

// Inputs above this size only slow the fuzzer down; real forms are far smaller.
inline constexpr std::size_t kMaxInputSize = 4 * 1024 * 1024;

inline std::span<const std::byte> asBytes(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const std::byte *>(data), size};
}

// An invariant of ours broke on this input: stop so that the fuzzer keeps it.
[[noreturn]] inline void finding(const char *what)
{
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}
