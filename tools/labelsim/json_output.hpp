#pragma once
// JSON form of a decoded job. Keys keep their insertion order. Data and text
// bytes are written as strings with printable ASCII kept and every other byte
// (and the backslash) escaped as \xNN, so any byte sequence survives.

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "preview.hpp"
#include "stream_model.hpp"

namespace labelsim {

using Json = nlohmann::ordered_json;

std::string escape_bytes(std::string_view bytes);

std::string_view command_name(const CommandBody& body);

// {"offset", "length", "command", then the command's own fields}.
Json command_json(const Command& cmd);

struct PageOutput {
    const PagePreview* preview = nullptr;  // nullptr when no preview was made
    std::string png;                       // empty when no PNG was written
};

// The whole report; `pages` may be shorter than result.pages.
Json report_json(const DecodeResult& result, unsigned dots_per_mm, const std::vector<PageOutput>& pages);

}  // namespace labelsim
