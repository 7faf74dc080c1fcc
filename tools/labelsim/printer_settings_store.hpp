#pragma once
// Keeps the virtual printers' configuration in a JSON file so that a restart
// of the server keeps what the setup tool wrote:
//   {"printers": [{"mac": "02:4C:53:01:00:01", "basic": "<240 hex digits>",
//                  "extended": "<252 hex digits>"}, ...]}
// Entries are matched to printers by MAC address. The file is replaced
// atomically (written beside it, then renamed).

#include <filesystem>
#include <string>
#include <vector>

#include "udp_responder.hpp"

namespace labelsim {

// Overwrites the settings of every printer that has an entry in the file.
// A missing file is not an error. Returns false (and leaves the printers as
// they were) when the file cannot be read or parsed.
bool load_printer_settings(const std::filesystem::path& file, std::vector<PrinterConfig>& printers,
                           std::string& error);

bool save_printer_settings(const std::filesystem::path& file, const std::vector<PrinterConfig>& printers,
                           std::string& error);

std::string format_mac(const MacAddress& mac);

}  // namespace labelsim
