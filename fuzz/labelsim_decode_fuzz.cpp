// libFuzzer target: arbitrary bytes through the job decoder, the page
// previews and the JSON report. Any crash, sanitizer report or runaway
// allocation is a bug; malformed input must only produce a decode error.

#include <cstddef>
#include <cstdint>
#include <span>

#include "decode.hpp"
#include "json_output.hpp"
#include "preview.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const labelsim::DecodeResult result = labelsim::decode_stream(bytes);

    labelsim::PreviewOptions options;
    options.max_pixels = std::uint64_t{1} << 22;  // keeps each run fast
    std::vector<labelsim::PagePreview> previews;
    std::vector<labelsim::PageOutput> pages;
    previews.reserve(result.pages.size());
    for (const labelsim::Page& page : result.pages) previews.push_back(labelsim::render_page(page, options));
    for (const auto& p : previews) pages.push_back(labelsim::PageOutput{&p, {}});

    // The report must serialise whatever bytes the stream carried.
    (void)labelsim::report_json(result, options.dots_per_mm, pages).dump();
    return 0;
}
