// Reading and checking a job file.
#include <algorithm>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/host_state.h"
#include "settings/paper_list.h"
#include "tools/qzprint/devmode_builder.h"
#include "tools/qzprint/job.h"
#include "tools/qzprint/local_clock.h"

namespace qzprint {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kLongMin = std::numeric_limits<LONG>::min();
constexpr std::int64_t kLongMax = std::numeric_limits<LONG>::max();
constexpr std::size_t kMaxPages = 10000;
constexpr std::size_t kMaxOpsPerPage = 100000;
constexpr std::size_t kMaxPrinterNameChars = 220;

bool ReadFileBytes(const fs::path& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  *out = std::move(text).str();
  return true;
}

// "line L, column C" of a byte position (1-based, as the JSON parser counts).
std::string LineAndColumn(const std::string& text, std::size_t byte) {
  std::size_t line = 1;
  std::size_t column = 1;
  const std::size_t end = byte == 0 ? 0 : std::min(byte - 1, text.size());
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Finds the first key given twice in one object, which the parser would
// otherwise take silently with its last value: follows the parse events to
// know the path of each key.
class DuplicateKeyFinder {
 public:
  bool operator()(int /*depth*/, Json::parse_event_t event, const Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start:
      case Json::parse_event_t::array_start:
        StartValue();
        frames_.push_back(Frame{event == Json::parse_event_t::array_start, 0, {}, {}});
        break;
      case Json::parse_event_t::object_end:
      case Json::parse_event_t::array_end:
        if (!frames_.empty()) frames_.pop_back();
        break;
      case Json::parse_event_t::key:
        if (!frames_.empty()) {
          Frame& object = frames_.back();
          object.key = parsed.get<std::string>();
          if (!object.keys.insert(object.key).second && !duplicate_) duplicate_ = Path();
        }
        break;
      case Json::parse_event_t::value:
        StartValue();
        break;
    }
    return true;
  }

  const std::optional<std::string>& Duplicate() const { return duplicate_; }

 private:
  struct Frame {
    bool isArray;
    std::size_t elements;  // arrays: elements started so far
    std::string key;       // objects: the key being read
    std::set<std::string> keys;
  };

  void StartValue() {
    if (!frames_.empty() && frames_.back().isArray) ++frames_.back().elements;
  }

  std::string Path() const {
    std::string path;
    for (const Frame& frame : frames_) {
      path = frame.isArray ? Element(path, frame.elements - 1) : Member(path, frame.key);
    }
    return path;
  }

  std::vector<Frame> frames_;
  std::optional<std::string> duplicate_;
};

bool ParseJson(const std::string& text, Json* out, JobError* error) {
  try {
    DuplicateKeyFinder finder;
    *out = Json::parse(text, std::ref(finder));
    if (finder.Duplicate()) {
      *error = JobError{*finder.Duplicate(), "key given twice"};
      return false;
    }
    return true;
  } catch (const Json::parse_error& e) {
    // The library's message is "[json.exception...] parse error at line L,
    // column C: reason"; the position is given here in the same words.
    std::string reason = e.what();
    if (const std::size_t id = reason.find("] "); id != std::string::npos) reason.erase(0, id + 2);
    if (reason.rfind("parse error", 0) == 0) {
      if (const std::size_t colon = reason.find(": "); colon != std::string::npos) reason.erase(0, colon + 2);
    }
    *error = JobError{"", "not valid JSON at " + LineAndColumn(text, e.byte) + ": " + reason};
    return false;
  }
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The model file: as given when absolute; else in the job file's folder,
// then in the fallback folder.
bool ResolveModel(Reader& reader, const Json& value, const fs::path& jobFolder, const ModelSearch& search,
                  fs::path* out) {
  std::string text;
  if (!reader.String(value, "model", &text)) return false;
  if (text.empty()) return reader.Fail("model", "must name the model data file");
  const fs::path given(text);
  std::vector<fs::path> candidates;
  if (given.is_absolute()) {
    candidates.push_back(given);
  } else {
    candidates.push_back(jobFolder / given);
    if (!search.fallbackFolder.empty()) candidates.push_back(search.fallbackFolder / given);
  }
  for (const fs::path& candidate : candidates) {
    if (Exists(candidate)) {
      std::error_code ec;
      const fs::path absolute = fs::absolute(candidate, ec);
      *out = (ec ? candidate : absolute).lexically_normal();
      return true;
    }
  }
  std::string places;
  for (const fs::path& candidate : candidates) places += (places.empty() ? "" : ", ") + candidate.string();
  return reader.Fail("model", "model data file not found (looked for " + places + ")");
}

bool ReadRect(Reader& reader, const Json& value, const std::string& path, RECTL* out) {
  if (!reader.Array(value, path, 4) || value.size() != 4) {
    return reader.Fail(path, "expected [left, top, right, bottom]");
  }
  std::int64_t v[4] = {};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!reader.Integer(value[i], Element(path, i), kLongMin, kLongMax, &v[i])) return false;
  }
  if (v[0] > v[2] || v[1] > v[3]) return reader.Fail(path, "left must not exceed right, nor top bottom");
  *out = RECTL{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[2]), static_cast<LONG>(v[3])};
  return true;
}

bool ReadPoint(Reader& reader, const Json& value, const std::string& path, LONG* x, LONG* y) {
  if (!reader.Array(value, path, 2) || value.size() != 2) return reader.Fail(path, "expected [x, y]");
  std::int64_t v[2] = {};
  for (std::size_t i = 0; i < 2; ++i) {
    if (!reader.Integer(value[i], Element(path, i), kLongMin, kLongMax, &v[i])) return false;
  }
  *x = static_cast<LONG>(v[0]);
  *y = static_cast<LONG>(v[1]);
  return true;
}

bool ReadColor(Reader& reader, const Json* value, const std::string& path, Rgb* out) {
  *out = Rgb{};
  if (value == nullptr) return true;
  if (!reader.Array(*value, path, 3) || value->size() != 3) return reader.Fail(path, "expected [red, green, blue]");
  std::int64_t v[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!reader.Integer((*value)[i], Element(path, i), 0, 255, &v[i])) return false;
  }
  *out = Rgb{static_cast<BYTE>(v[0]), static_cast<BYTE>(v[1]), static_cast<BYTE>(v[2])};
  return true;
}

bool ReadFill(Reader& reader, const Json& op, const std::string& path, Page* page) {
  if (!reader.Object(op, path, {"fill", "color"})) return false;
  FillOp fill{};
  if (!ReadRect(reader, op["fill"], Member(path, "fill"), &fill.rect)) return false;
  if (!ReadColor(reader, Find(op, "color"), Member(path, "color"), &fill.color)) return false;
  page->emplace_back(fill);
  return true;
}

bool ReadImage(Reader& reader, const Json& op, const std::string& path, const fs::path& jobFolder, Page* page) {
  if (!reader.Object(op, path, {"image", "at"})) return false;
  std::string name;
  if (!reader.String(op["image"], Member(path, "image"), &name)) return false;
  ImageOp image{};
  if (const Json* at = Find(op, "at")) {
    if (!ReadPoint(reader, *at, Member(path, "at"), &image.x, &image.y)) return false;
  }
  const fs::path file = jobFolder / name;
  std::string problem;
  if (name.empty() || !Exists(file)) {
    return reader.Fail(Member(path, "image"), "image file not found: " + file.string());
  }
  if (!ReadPng(file.string(), &image.image, &problem)) {
    return reader.Fail(Member(path, "image"), "cannot read PNG " + file.string() + ": " + problem);
  }
  page->emplace_back(std::move(image));
  return true;
}

bool ReadMetric(Reader& reader, const Json* value, const std::string& path, FWORD fallback, FWORD* out) {
  *out = fallback;
  if (value == nullptr) return true;
  std::int64_t number = 0;
  if (!reader.Integer(*value, path, std::numeric_limits<FWORD>::min(), std::numeric_limits<FWORD>::max(), &number)) {
    return false;
  }
  *out = static_cast<FWORD>(number);
  return true;
}

bool ReadText(Reader& reader, const Json& op, const std::string& path, Page* page) {
  if (!reader.Object(op, path, {"text", "font", "color", "box", "ascender", "descender"})) return false;
  TextOp text{};
  std::string utf8;
  if (!reader.String(op["text"], Member(path, "text"), &utf8)) return false;
  if (utf8.empty()) return reader.Fail(Member(path, "text"), "must not be empty (GDI sends no empty run)");
  text.text = host::Widen(utf8);

  std::string font = kDefaultFontName;
  if (const Json* face = Find(op, "font")) {
    if (!reader.String(*face, Member(path, "font"), &font)) return false;
  }
  text.font = host::Widen(font);
  if (text.font.empty() || text.font.size() > LF_FACESIZE - 1) {
    return reader.Fail(Member(path, "font"), "a face name has 1 to " + std::to_string(LF_FACESIZE - 1) + " characters");
  }
  if (!ReadColor(reader, Find(op, "color"), Member(path, "color"), &text.color)) return false;
  const Json* box = Find(op, "box");
  if (box == nullptr) return reader.Fail(Member(path, "box"), "missing: every text run needs its box");
  if (!ReadRect(reader, *box, Member(path, "box"), &text.box)) return false;
  if (!ReadMetric(reader, Find(op, "ascender"), Member(path, "ascender"), kDefaultAscender, &text.ascender) ||
      !ReadMetric(reader, Find(op, "descender"), Member(path, "descender"), kDefaultDescender, &text.descender)) {
    return false;
  }
  page->emplace_back(std::move(text));
  return true;
}

// What an operation is follows from the key it has: "fill", "image" or "text".
bool ReadOp(Reader& reader, const Json& op, const std::string& path, const fs::path& jobFolder, Page* page) {
  if (!reader.AnyObject(op, path)) return false;
  const int kinds = (op.contains("fill") ? 1 : 0) + (op.contains("image") ? 1 : 0) + (op.contains("text") ? 1 : 0);
  if (kinds != 1) return reader.Fail(path, "an operation has exactly one of the keys fill, image and text");
  if (op.contains("fill")) return ReadFill(reader, op, path, page);
  if (op.contains("image")) return ReadImage(reader, op, path, jobFolder, page);
  return ReadText(reader, op, path, page);
}

bool ReadPages(Reader& reader, const Json& value, const fs::path& jobFolder, std::vector<Page>* out) {
  if (!reader.Array(value, "pages", kMaxPages)) return false;
  out->resize(value.size());
  for (std::size_t p = 0; p < value.size(); ++p) {
    const std::string pagePath = Element("pages", p);
    if (!reader.Array(value[p], pagePath, kMaxOpsPerPage)) return false;
    for (std::size_t i = 0; i < value[p].size(); ++i) {
      if (!ReadOp(reader, value[p][i], Element(pagePath, i), jobFolder, &(*out)[p])) return false;
    }
  }
  return true;
}

bool ReadPrinterName(Reader& reader, const Json* value, std::u16string* out) {
  std::string name = kDefaultPrinterName;
  if (value != nullptr && !reader.String(*value, "printer", &name)) return false;
  *out = host::Widen(name);
  if (out->empty() || out->size() > kMaxPrinterNameChars) {
    return reader.Fail("printer", "a printer name has 1 to " + std::to_string(kMaxPrinterNameChars) + " characters");
  }
  // The spooler refuses these in printer names.
  if (out->find_first_of(u"\\,") != std::u16string::npos) {
    return reader.Fail("printer", "a printer name contains no backslash and no comma");
  }
  return true;
}

bool ReadModelBytes(Reader& reader, Job* job) {
  std::string bytes;
  if (!ReadFileBytes(job->model, &bytes)) return reader.Fail("model", "cannot read " + job->model.string());
  job->modelBytes.assign(bytes.begin(), bytes.end());
  job->modelError = settings::CheckModelData(job->modelBytes.data(), job->modelBytes.size());
  return true;
}

bool ReadJobObject(Reader& reader, const Json& root, const fs::path& file, const ModelSearch& search, Job* job) {
  if (!reader.Object(root, "", {"model", "printer", "document", "devmode", "options", "clock", "pages", "abort"})) {
    return false;
  }
  const fs::path folder = file.parent_path();
  const Json* model = Find(root, "model");
  if (model == nullptr) return reader.Fail("model", "missing: the job names its model data file");
  if (!ResolveModel(reader, *model, folder, search, &job->model) || !ReadModelBytes(reader, job)) return false;
  if (!ReadPrinterName(reader, Find(root, "printer"), &job->printer)) return false;

  std::string document = file.filename().string();
  if (const Json* name = Find(root, "document")) {
    if (!reader.String(*name, "document", &document)) return false;
  }
  job->document = host::Widen(document);

  // The defaults the driver itself would use for this model.
  const settings::ModelData modelData = job->Model();
  settings::PaperOpt papers{};
  settings::BuildPaperList(nullptr, &modelData, &papers);

  if (const Json* options = Find(root, "options")) {
    if (!ReadOptionBlocks(reader, *options, "options", papers, folder, &job->options)) return false;
  }
  if (const Json* devmode = Find(root, "devmode")) {
    std::vector<BYTE> bytes;
    const DevmodeDefaults defaults{job->printer, modelData, &papers};
    if (!BuildDevmode(reader, *devmode, "devmode", defaults, &bytes)) return false;
    job->devmode = std::move(bytes);
  }
  if (const Json* clock = Find(root, "clock")) {
    std::string text;
    if (!reader.String(*clock, "clock", &text)) return false;
    job->clock = ParseLocalTime(text);
    if (!job->clock) return reader.Fail("clock", "expected a real local time written YYYY-MM-DDTHH:MM:SS");
  }
  if (const Json* pages = Find(root, "pages")) {
    if (!ReadPages(reader, *pages, folder, &job->pages)) return false;
  }
  if (const Json* abort = Find(root, "abort")) {
    if (!reader.Boolean(*abort, "abort", &job->abort)) return false;
  }
  return true;
}

}  // namespace

settings::ModelData Job::Model() const {
  if (modelError != settings::ModelError::kNone) return {};
  return {modelBytes.data(), modelBytes.size()};
}

bool ReadJob(const fs::path& file, const ModelSearch& search, Job* out, JobError* error) {
  std::string text;
  if (!Exists(file) || !ReadFileBytes(file, &text)) {
    *error = JobError{"", "cannot read the job file"};
    return false;
  }
  Json root;
  if (!ParseJson(text, &root, error)) return false;

  std::error_code ec;
  const fs::path absolute = fs::absolute(file, ec);
  Job job;
  job.file = (ec ? file : absolute).lexically_normal();
  Reader reader;
  if (!ReadJobObject(reader, root, job.file, search, &job)) {
    *error = *reader.Error();
    return false;
  }
  *out = std::move(job);
  return true;
}

}  // namespace qzprint
