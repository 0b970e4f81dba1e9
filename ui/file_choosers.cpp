#include "ui/file_choosers.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"
#include "ui/control_drawing.h"
#include "ui/control_table.h"
#include "ui/control_values.h"
#include "ui/dialog_services.h"
#include "ui/ui_texts.h"

namespace {

constexpr FileKindFilter kFilters[] = {
    {"Bitmap files (*.bmp)", "*.bmp"},         {"Orbalix 2 presets (*.q2q)", "*.q2q"},
    {"Photoshop files (*.psd)", "*.psd"},      {"HTML files (*.html)", "*.html"},
    {"LDraw files (*.ldr)", "*.ldr"},          {"All files (*.*)", "*.*"},
    {"Wavefront files (*.obj)", "*.obj"},
};
constexpr int32_t kKindCount = int32_t(sizeof(kFilters) / sizeof(kFilters[0]));

// Set while a chooser is up: a second request is refused as a cancel.
uint8_t& ChooserOpenFlag() { return GetDialogModuleState().busyFlags[0]; }

int32_t RunChooser(bool save, char* path, char* fileTitle, char* folder, int32_t kind, const char* title,
                   GlobalsRecord* globals) {
  if (!path || ChooserOpenFlag()) return 0;
  if (kind < 0 || kind >= kKindCount) kind = kFileKindAll;
  path[kMaxPathLength] = 0;
  if (!save) path[0] = 0;
  FileChoiceRequest request{};
  request.kind = kind;
  request.save = save ? 1 : 0;
  request.title = title;
  request.path = path;
  request.fileTitle = fileTitle;
  request.folder = folder;
  request.owner = GetDialogModuleState().mainDialogWindow;
  request.globals = kind == kFileKindSettings ? globals : nullptr;
  if (!save && kind == kFileKindSettings && globals) request.showThumbnail = ShowPresetThumbnail;
  ChooserOpenFlag() = 1;
  const int32_t chosen = ChooseFile(&request);
  ChooserOpenFlag() = 0;
  if (chosen != 1) return 0;
  path[kMaxPathLength] = 0;
  if (folder) {
    // The folder is the chosen path up to and including its last separator.
    std::strncpy(folder, path, kMaxPathLength);
    folder[kMaxPathLength] = 0;
    char* cut = std::strrchr(folder, '\\');
    char* forward = std::strrchr(folder, '/');
    if (!cut || (forward && forward > cut)) cut = forward;
    if (cut) {
      cut[1] = 0;
    } else {
      folder[0] = 0;
    }
  }
  return 1;
}

// The path holds ".q2q" in any case.
bool NamesSettingsFile(const char* path) {
  for (const char* p = path; *p; ++p) {
    const char* want = ".q2q";
    size_t k = 0;
    while (want[k] && p[k] && std::tolower(static_cast<unsigned char>(p[k])) == want[k]) ++k;
    if (!want[k]) return true;
  }
  return false;
}

}  // namespace

FileKindFilter GetFileKindFilter(int32_t kind) {
  return kind >= 0 && kind < kKindCount ? kFilters[kind] : kFilters[kFileKindAll];
}

const char* FileKindExtension(int32_t kind) {
  const char* pattern = GetFileKindFilter(kind).pattern;
  return std::strcmp(pattern, "*.*") == 0 ? "" : pattern + 2;
}

uint8_t ShowPresetThumbnail(const char* path, int32_t width, int32_t height, uint8_t* rgb) {
  if (width <= 0 || height <= 0 || !rgb) return 0;
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  PixelRaster image{width, height, 4, rgba.data()};
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  thumbnail->exists = true;
  bool read = false;
  if (path && NamesSettingsFile(path)) {
    // The thumbnail-only read leaves the settings alone; it reads into a scratch block all the same.
    std::unique_ptr<ParameterBlock> scratch(new ParameterBlock());
    read = LoadSettingsThumbnail(path, &image, scratch.get(), thumbnail.get());
  }
  if (!read) {
    PaintThumbnailBackground(thumbnail.get());
    CopyThumbnailToImage(thumbnail.get(), &image);
  }
  for (size_t k = 0; k < size_t(width) * height; ++k) {
    for (size_t c = 0; c < 3; ++c) rgb[k * 3 + c] = rgba[k * 4 + c];
  }
  return read ? 1 : 0;
}

int32_t ShowSaveFileDialog(char* path, char* fileTitle, char* folder, int32_t kind, const char* title) {
  return RunChooser(true, path, fileTitle, folder, kind, title, nullptr);
}

int32_t ShowOpenFileDialog(char* path, char* fileTitle, char* folder, int32_t kind, const char* title,
                           GlobalsRecord* globals) {
  return RunChooser(false, path, fileTitle, folder, kind, title, globals);
}

bool PickColour(GlobalsRecord* globals, const char* title, const uint16_t colour[3], uint16_t result[3]) {
  const FilterRecord* fr = globals ? globals->filterRecord : nullptr;
  if (fr && fr->colorServices) {
    uint8_t prompt[256] = {0};
    const size_t n = title ? std::min<size_t>(std::strlen(title), 255) : 0;
    prompt[0] = uint8_t(n);
    if (n) std::memcpy(prompt + 1, title, n);
    ColourServicesRequest request{};
    request.infoSize = int32_t(sizeof(request));
    request.selector = 0;
    request.sourceSpace = 0;
    request.resultSpace = 0;
    for (int32_t c = 0; c < 3; ++c) request.colourComponents[c] = int16_t(colour[c] >> 8);
    request.pickerPrompt = prompt;
    // A picker the user cancelled (or that failed) leaves the colour as it was.
    if (fr->colorServices(&request) != kNoErr) return false;
    for (int32_t c = 0; c < 3; ++c) result[c] = uint16_t((request.colourComponents[c] & 0xFF) << 8);
    return true;
  }
  uint16_t chosen[3] = {colour[0], colour[1], colour[2]};
  if (!ChooseSystemColour(title, colour, chosen)) return false;
  for (int32_t c = 0; c < 3; ++c) result[c] = chosen[c];
  return true;
}

bool ChooseControlColour(MainDialog* dialog, int32_t id) {
  if (!IsColourKind(GetControlKind(id))) return false;
  uint16_t colour[3];
  GetControlColour(dialog, id, colour);
  const char* title = GetUiLabel(GetControlDescriptor(id).label);
  uint16_t chosen[3];
  if (!PickColour(dialog->globals, title, colour, chosen)) return false;
  if (dialog->ended) return false;  // the dialog ended while the chooser was up
  SetControlColour(dialog, id, chosen);
  PortRedrawItem(dialog->port, id);
  RedrawControl(dialog, id);
  return true;
}
