// What the fuzz targets share: a reader that turns the fuzzer's bytes into choices, and the
// check that stops the run on a broken invariant, which libFuzzer reports as a crash with
// the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops with `what` when `holds` is false.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// The input as a stream of choices; an exhausted input answers 0 to every question.
class ByteSource {
  public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    std::size_t Remaining() const { return Empty() ? 0 : size_ - at_; }
    std::uint8_t Byte() { return Empty() ? 0 : data_[at_++]; }
    std::uint32_t U16() { return static_cast<std::uint32_t>(Byte()) | Byte() << 8; }
    std::uint32_t U32() { return U16() | U16() << 16; }
    bool Flag() { return (Byte() & 1) != 0; }
    // 0 to count - 1.
    std::uint32_t Below(std::uint32_t count) { return count == 0 ? 0 : Byte() % count; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&options)[N]) {
        return options[Below(static_cast<std::uint32_t>(N))];
    }
    // Up to `count` of the next bytes, fewer at the end of the input.
    const std::uint8_t* Take(std::size_t count, std::size_t* taken) {
        *taken = count < Remaining() ? count : Remaining();
        const std::uint8_t* bytes = data_ + at_;
        at_ += *taken;
        return bytes;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
