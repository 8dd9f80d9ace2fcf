#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads one fuzz input front to back as small typed values. Once the bytes
// run out every read gives zero or the empty text, so a target can decode as
// much as it likes and never reads past its input.
class fuzzInput {
public:
    // data may be null when size is 0; the bytes must outlive this object.
    fuzzInput(const std::uint8_t* data, std::size_t size);

    bool empty() const { return position_ >= size_; }
    std::uint8_t byte();
    bool flag();
    // One of `count` alternatives, 0 to count - 1; count must not be 0.
    unsigned choice(unsigned count);
    // Four bytes, little-endian.
    std::int32_t int32();
    // A number biased towards the edges: small values around 0, the limits
    // of the int32 range and their neighbours, or four raw bytes.
    std::int32_t interestingInt();
    // A text of up to maxLength bytes: a length byte (two bytes when
    // maxLength exceeds 255), then that many bytes, cut at the first NUL as a
    // C text would be.
    std::string text(std::size_t maxLength = 255);

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
