#pragma once
// Entry point for decoding a job: a keyboard-terminal record stream when it
// starts with "KT", a printer command stream otherwise.

#include <cstdint>
#include <span>

#include "stream_model.hpp"

namespace labelsim {

DecodeResult decode_stream(std::span<const std::uint8_t> bytes);

}  // namespace labelsim
