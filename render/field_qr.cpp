// A 2D code field: the printer encodes the symbol; the driver estimates its
// size (segmenting the data as the encoder would) to place it.
#include <optional>
#include <string_view>

#include "render/commands.h"
#include "render/data_file.h"
#include "render/fields.h"
#include "render/fields/qr_data_choice.h"
#include "render/fields/qr_estimator.h"
#include "render/output.h"
#include "render/terminal_records.h"

namespace render {

namespace {

const char kErrorLevels[] = {'L', 'M', 'Q', 'H'};

}  // namespace

void SendQrField(DeviceContext& dc, const char* text, std::size_t length) {
  settings::BarColorEntry& entry = dc.barcode.entry;
  const std::string_view typed(text, length);

  // A short text names a data file in the driver folder.
  std::optional<MappedFile> file;
  if (fields::QrTextNamesDataFile(typed)) {
    WCHAR name[fields::kQrMaxNameLength + 1];
    WCHAR path[fields::kQrDataPathCapacity];
    if (AnsiToWide(typed, name, std::size(name)) &&
        fields::BuildQrDataPath(WideView(dc.driverFolder, std::size(dc.driverFolder)), WideView(name, std::size(name)), path, std::size(path)) == ERROR_SUCCESS) {
      file.emplace(path);
    }
  }
  std::optional<std::string_view> content;
  if (file && file->IsOpen() && fields::QrFileReplacesData(file->Bytes().size())) content = file->Bytes();
  const std::string_view data = fields::ChooseQrData(typed, content);

  const int modules = fields::EstimateQrModules(data, entry.BarCodeQrErrLevel, entry.BarCodeQrModel);
  const int side = fields::QrSymbolSide(modules, entry.BarCodeQrCellSize);
  const RECTL& box = dc.barcode.rect;
  const Placement at = PlaceOnPage(dc, box.left, box.bottom, side, side, entry.BarCodeRotate);
  entry.BarCodeRotate = static_cast<BYTE>(at.rotation);
  if (!at.Valid()) return;

  Output out(dc.printer, dc.heap);
  if (dc.devmode.priv.PrintDevice == 1) {
    SendTerminalBarcode(out, static_cast<std::int32_t>(at.x), static_cast<std::int32_t>(at.y), entry, data.data(),
                        data.size());
    return;
  }
  if (entry.BarCodeQrErrLevel >= std::size(kErrorLevels)) return;
  const Command field = QrFieldCommand(static_cast<std::uint32_t>(data.size()), at.x, at.y, at.rotation);
  const Command setup = QrSetupCommand(entry.BarCodeQrCellSize + 2u, kErrorLevels[entry.BarCodeQrErrLevel],
                                       entry.BarCodeQrModel + 1u);
  if (!field.ok || !setup.ok) return;
  if (Send(out, field) && Send(out, setup)) SendDataCommand(out, 'Q', data.data(), data.size());
}

}  // namespace render
