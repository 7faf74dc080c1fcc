// A print job as qzprint plays it: the printer and its model, the settings
// stored before the job, the DEVMODE the application passes, and the pages
// with their drawing in order. Read and checked whole from a job file
// before anything is set up or played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/win.h"
#include "settings/model_data.h"
#include "tools/qzprint/json_reader.h"
#include "tools/qzprint/option_blocks.h"
#include "tools/qzprint/png_image.h"

namespace qzprint {

inline constexpr char kDefaultPrinterName[] = "QZ Label Printer";
inline constexpr char kDefaultFontName[] = "Arial";
inline constexpr FWORD kDefaultAscender = 800;
inline constexpr FWORD kDefaultDescender = 200;

struct Rgb {
  BYTE r = 0;
  BYTE g = 0;
  BYTE b = 0;
  // The solid colour as GDI hands it to the driver: red in the high byte.
  ULONG Solid() const { return (ULONG{r} << 16) | (ULONG{g} << 8) | ULONG{b}; }
};

// GDI fills a rectangle of the page (right and bottom exclusive).
struct FillOp {
  RECTL rect;
  Rgb color;
};

// GDI draws an image 1:1 with its top left corner at (x, y).
struct ImageOp {
  RgbaImage image;
  LONG x;
  LONG y;
};

// One text run: one DrvTextOut call.
struct TextOp {
  std::u16string text;
  std::u16string font;  // face name
  Rgb color;
  RECTL box;  // the run's background rectangle
  FWORD ascender;
  FWORD descender;
};

using DrawOp = std::variant<FillOp, ImageOp, TextOp>;
using Page = std::vector<DrawOp>;

struct Job {
  std::filesystem::path file;    // the job file
  std::filesystem::path model;   // absolute path of the model data file
  std::vector<std::uint8_t> modelBytes;
  settings::ModelError modelError = settings::ModelError::kNone;
  std::u16string printer;
  std::u16string document;  // the document name given to DrvStartDoc
  std::optional<std::vector<BYTE>> devmode;  // none: GDI passes no DEVMODE
  OptionBlocks options;
  std::optional<ENG_TIME_FIELDS> clock;
  std::vector<Page> pages;
  bool abort = false;  // end the document as aborted (ED_ABORTDOC)

  // The model as the settings operations read it: all zero when the file
  // failed its checks (the driver then refuses it).
  settings::ModelData Model() const;
};

// Where a model file named by a relative path is looked for after the job
// file's own folder.
struct ModelSearch {
  std::filesystem::path fallbackFolder;  // empty: none
};

// Reads and checks the job file. On failure returns false with *error
// naming the offending value.
bool ReadJob(const std::filesystem::path& file, const ModelSearch& search, Job* out, JobError* error);

}  // namespace qzprint
