#pragma once
// Error raised while decoding a job stream: where it went wrong and what was
// expected there. The decoders throw it internally and turn it into the
// DecodeResult's error; it never leaves the decoding functions.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace labelsim {

class DecodeError : public std::runtime_error {
public:
    DecodeError(std::size_t offset, const std::string& message)
        : std::runtime_error(message), offset_(offset) {}

    std::size_t offset() const noexcept { return offset_; }

private:
    std::size_t offset_;
};

}  // namespace labelsim
