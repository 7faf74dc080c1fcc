#pragma once
// Decodes one job and writes what was asked for: the JSON report and one PNG
// per page that has something to draw, named PREFIX-1.png, PREFIX-2.png ...
// by page number. Shared by the decode command and the virtual printer.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "json_output.hpp"
#include "preview.hpp"
#include "stream_model.hpp"

namespace labelsim {

struct JobOutputOptions {
    PreviewOptions preview;
    std::optional<std::filesystem::path> json_path;
    std::optional<std::string> png_prefix;  // path prefix, "-N.png" is appended
    bool render = false;                    // previews even without PNG output
};

struct JobOutputs {
    DecodeResult result;
    std::vector<PagePreview> previews;  // one per page when rendered
    std::vector<PageOutput> pages;      // refers into previews
    Json report;
    std::vector<std::string> write_errors;
    std::size_t pngs_written = 0;
};

std::string png_name(const std::string& prefix, std::size_t page_number);

// The returned object refers to itself (pages -> previews): keep it in place.
void process_job(std::span<const std::uint8_t> bytes, const JobOutputOptions& options, JobOutputs& out);

}  // namespace labelsim
