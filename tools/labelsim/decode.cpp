#include "decode.hpp"

#include "keyboard_terminal_decoder.hpp"
#include "stream_decoder.hpp"

namespace labelsim {

DecodeResult decode_stream(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'K' && bytes[1] == 'T') return decode_keyboard_terminal_stream(bytes);
    return decode_printer_stream(bytes);
}

}  // namespace labelsim
