// The driver's own DEVMODE values: the default record and the rules by
// which an incoming DEVMODE's fields are accepted.
#include <cstring>

#include "settings/devmode.h"
#include "settings/wide_text.h"

namespace settings {
namespace {

constexpr CHAR kDefaultFileName[] = "Noname";

SHORT InRange(SHORT value, SHORT low, SHORT high, SHORT fallback) {
  return value >= low && value <= high ? value : fallback;
}

SHORT ModelDpi(const ModelData& model) { return static_cast<SHORT>(model.Dpi()); }

}  // namespace

void MakeDefaultDevmode(LabelDevmode* target, const WCHAR* deviceName, const ModelData& model,
                        const PaperOpt& papers) {
  if (target == nullptr) return;
  std::memset(target, 0, sizeof(*target));

  DEVMODEW& dm = target->dm;
  if (deviceName != nullptr) CopyWideText(dm.dmDeviceName, CCHDEVICENAME, deviceName, CCHDEVICENAME);
  dm.dmSpecVersion = 0x0401;
  dm.dmDriverVersion = 0x0400;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmDriverExtra = sizeof(PrivateOpt);
  dm.dmFields = kDefaultDevmodeFields;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = static_cast<SHORT>(papers.Entry[0].PaperId);
  dm.dmScale = 100;
  dm.dmCopies = 1;
  dm.dmDefaultSource = DMBIN_FORMSOURCE;
  dm.dmPrintQuality = ModelDpi(model);
  dm.dmColor = DMCOLOR_MONOCHROME;
  dm.dmDuplex = DMDUP_SIMPLEX;
  dm.dmTTOption = DMTT_SUBDEV;
  dm.dmCollate = DMCOLLATE_FALSE;
  // A stored paper name need not be terminated within its 64 characters.
  CopyWideText(dm.dmFormName, CCHFORMNAME, papers.Entry[0].PaperName, kPaperNameChars);

  PrivateOpt& opt = target->priv;
  std::memcpy(opt.Signature, kSignature, sizeof(kSignature));
  opt.PrintDevice = 0;
  std::memcpy(opt.FileName, kDefaultFileName, sizeof(kDefaultFileName));
  opt.PrintCutqtyNum = 1;
  opt.PrintError = model.HasErrorReprint() != 0 ? 1 : 0;
  opt.Compression = model.HasCompression() != 0 && model.CompressionDefault() == 1 ? 1 : 0;
  opt.PrintPos = model.PrintPosDefault();
}

bool MergeDevmode(LabelDevmode* current, const DEVMODEW* incoming, std::size_t incomingBytes,
                  const ModelData& model) {
  if (current == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (incoming == nullptr) return true;

  // The incoming record laid over a copy of the current one: fields the
  // incoming layout lacks keep their current values.
  LabelDevmode in = *current;
  if (ConvertDevmode(incoming, incomingBytes, &in.dm, sizeof(in)) <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }

  DEVMODEW& dm = current->dm;
  const DWORD fields = in.dm.dmFields;

  if (fields & DM_DEFAULTSOURCE) {
    dm.dmFields |= DM_DEFAULTSOURCE;
    dm.dmDefaultSource = in.dm.dmDefaultSource;
  }
  if (fields & DM_ORIENTATION) {
    dm.dmFields |= DM_ORIENTATION;
    dm.dmOrientation = InRange(in.dm.dmOrientation, DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE, DMORIENT_PORTRAIT);
  }

  // Paper: a custom size, else a paper size code, else a form name. The
  // form name is kept as given and not turned into a paper size code.
  if ((fields & DM_PAPERLENGTH) && (fields & DM_PAPERWIDTH) && in.dm.dmPaperWidth > 0 &&
      in.dm.dmPaperLength > 0) {
    dm.dmPaperLength = in.dm.dmPaperLength;
    dm.dmPaperWidth = in.dm.dmPaperWidth;
    dm.dmFields &= ~(DM_PAPERSIZE | DM_FORMNAME);
    dm.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  } else if (fields & DM_PAPERSIZE) {
    dm.dmPaperSize = in.dm.dmPaperSize;
    dm.dmFields &= ~(DM_FORMNAME | DM_PAPERLENGTH | DM_PAPERWIDTH);
    dm.dmFields |= DM_PAPERSIZE;
  } else if (fields & DM_FORMNAME) {
    CopyWideText(dm.dmFormName, CCHFORMNAME, in.dm.dmFormName, CCHFORMNAME);
    dm.dmFields &= ~(DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
    dm.dmFields |= DM_FORMNAME;
  }

  if (fields & DM_SCALE) {
    dm.dmFields |= DM_SCALE;
    dm.dmScale = InRange(in.dm.dmScale, 1, 1000, 100);
  }
  if (fields & DM_COPIES) {
    dm.dmFields |= DM_COPIES;
    dm.dmCopies = InRange(in.dm.dmCopies, 1, 9999, 1);
  }
  // The printer has one resolution, one colour, one side and no collation:
  // whatever is asked for becomes what the model does.
  if (fields & DM_PRINTQUALITY) {
    dm.dmFields |= DM_PRINTQUALITY;
    dm.dmPrintQuality = ModelDpi(model);
  }
  if (fields & DM_COLOR) {
    dm.dmFields |= DM_COLOR;
    dm.dmColor = DMCOLOR_MONOCHROME;
  }
  if (fields & DM_DUPLEX) dm.dmDuplex = DMDUP_SIMPLEX;
  if (fields & DM_COLLATE) dm.dmCollate = DMCOLLATE_FALSE;

  // The private part is taken whole, unchecked, only when it is ours.
  if (HasSignature(in.priv)) current->priv = in.priv;
  return true;
}

}  // namespace settings
