// Building the paper list.
#include "settings/paper_list.h"

#include <cstring>
#include <string_view>

#include "settings/opt_block.h"
#include "settings/wide_text.h"

namespace settings {
namespace {

// "ﾗﾍﾞﾙ" in half-width katakana: the name of a label the model does not name.
constexpr WCHAR kGenericLabelName[] = WSTR("\uFF97\uFF8D\uFF9E\uFF99");

void SetGenericName(LabelEntry& entry, int number) {
  constexpr std::size_t kWordChars = sizeof(kGenericLabelName) / sizeof(WCHAR) - 1;
  WCHAR name[kWordChars + 3] = {};
  std::memcpy(name, kGenericLabelName, kWordChars * sizeof(WCHAR));
  std::size_t n = kWordChars;
  if (number >= 10) name[n++] = static_cast<WCHAR>(WSTR('0') + number / 10);
  name[n++] = static_cast<WCHAR>(WSTR('0') + number % 10);
  CopyWideText(entry.PaperName, kPaperNameChars, name, n);
}

// The model's ANSI name in the system ANSI code page. It is converted into
// room for all of it and then cut to 63 characters: converting straight into
// 63 characters would fail, and leave no name at all, for a name that needs
// 64.
void SetModelName(LabelEntry& entry, std::string_view ansi) {
  WCHAR wide[kModelPaperNameSize] = {};
  int chars = 0;
  if (!ansi.empty()) {
    chars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide,
                                static_cast<int>(kModelPaperNameSize));
  }
  CopyWideText(entry.PaperName, kPaperNameChars, wide, chars > 0 ? static_cast<std::size_t>(chars) : 0);
}

// Paper i lies wholly within the model bytes (checked model data always
// satisfies this; the test keeps unchecked data from being read past its end).
bool PaperInside(const ModelData& model, std::uint32_t i) {
  return kModelPaperOffset + kModelPaperSize * (static_cast<std::size_t>(i) + 1) <= model.size;
}

}  // namespace

bool BuildPaperList(HANDLE printer, const ModelData* model, PaperOpt* out) {
  if (out == nullptr) return false;
  if (ReadOptBlockInto(printer, OptBlock::kPaperOpt, out)) return true;
  if (model == nullptr) return false;

  std::memset(out, 0, sizeof(*out));
  const std::uint32_t named = model->PaperCount();
  for (int i = 0; i < kLabelCount; ++i) {
    LabelEntry& entry = out->Entry[i];
    const auto index = static_cast<std::uint32_t>(i);
    entry.PaperId = kFirstPaperId + index;
    if (index < named && PaperInside(*model, index)) {
      const PaperEntry paper = model->Paper(index);
      SetModelName(entry, paper.Name());
      entry.LabelWidth = paper.width;
      entry.LabelLength = paper.length;
    } else {
      SetGenericName(entry, i + 1);
      entry.LabelWidth = model->MaxWidth();
      entry.LabelLength = model->MaxLength();
    }
  }
  return true;
}

}  // namespace settings
