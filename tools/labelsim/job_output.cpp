#include "job_output.hpp"

#include <fstream>

#include "decode.hpp"
#include "png_writer.hpp"

namespace labelsim {

std::string png_name(const std::string& prefix, std::size_t page_number) {
    return prefix + "-" + std::to_string(page_number) + ".png";
}

void process_job(std::span<const std::uint8_t> bytes, const JobOutputOptions& options, JobOutputs& out) {
    out = JobOutputs{};
    out.result = decode_stream(bytes);
    const bool render = options.render || options.png_prefix.has_value();
    if (render) {
        out.previews.reserve(out.result.pages.size());
        for (const Page& page : out.result.pages) out.previews.push_back(render_page(page, options.preview));
        out.pages.resize(out.previews.size());
        for (std::size_t i = 0; i < out.previews.size(); ++i) {
            out.pages[i].preview = &out.previews[i];
            if (!options.png_prefix || out.previews[i].canvas.empty()) continue;
            const std::string name = png_name(*options.png_prefix, i + 1);
            std::string error;
            if (write_png(name, out.previews[i].canvas, error)) {
                out.pages[i].png = name;
                ++out.pngs_written;
            } else {
                out.write_errors.push_back(name + ": " + error);
            }
        }
    }
    out.report = report_json(out.result, options.preview.dots_per_mm, out.pages);
    if (options.json_path) {
        std::ofstream f(*options.json_path, std::ios::binary | std::ios::trunc);
        f << out.report.dump(2) << '\n';
        f.close();
        if (!f) out.write_errors.push_back(options.json_path->string() + ": cannot write JSON report");
    }
}

}  // namespace labelsim
