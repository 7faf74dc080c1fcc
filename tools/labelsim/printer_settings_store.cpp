#include "printer_settings_store.hpp"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

namespace labelsim {
namespace {

std::string to_hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        s += kDigits[b >> 4];
        s += kDigits[b & 0x0F];
    }
    return s;
}

bool from_hex(const std::string& s, std::span<std::uint8_t> out) {
    if (s.size() != out.size() * 2) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = nibble(s[2 * i]);
        const int lo = nibble(s[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

}  // namespace

std::string format_mac(const MacAddress& mac) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return buf;
}

bool load_printer_settings(const std::filesystem::path& file, std::vector<PrinterConfig>& printers,
                           std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file.string();
        return false;
    }
    std::vector<PrinterConfig> updated = printers;
    try {
        const nlohmann::json j = nlohmann::json::parse(in);
        for (const auto& entry : j.at("printers")) {
            const std::string mac = entry.at("mac").get<std::string>();
            for (PrinterConfig& p : updated) {
                if (format_mac(p.mac) != mac) continue;
                PrinterConfig stored = p;
                if (!from_hex(entry.at("basic").get<std::string>(), stored.basic) ||
                    !from_hex(entry.at("extended").get<std::string>(), stored.extended)) {
                    error = file.string() + ": settings of " + mac + " are not " +
                            std::to_string(kBasicSettingsSize) + "/" + std::to_string(kExtendedSettingsSize) +
                            " hex bytes";
                    return false;
                }
                p = stored;
            }
        }
    } catch (const nlohmann::json::exception& e) {
        error = file.string() + ": " + e.what();
        return false;
    }
    printers = std::move(updated);
    return true;
}

bool save_printer_settings(const std::filesystem::path& file, const std::vector<PrinterConfig>& printers,
                           std::string& error) {
    nlohmann::ordered_json j;
    j["printers"] = nlohmann::ordered_json::array();
    for (const PrinterConfig& p : printers) {
        nlohmann::ordered_json e;
        e["mac"] = format_mac(p.mac);
        e["basic"] = to_hex(p.basic);
        e["extended"] = to_hex(p.extended);
        j["printers"].push_back(std::move(e));
    }
    std::filesystem::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << j.dump(2) << '\n';
        out.close();
        if (!out) {
            error = "cannot write " + tmp.string();
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
        error = "cannot replace " + file.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace labelsim
