#include "ui/small_dialogs.h"

#include "host/text_utils.h"
#include "settings/jpeg_memory.h"  // the maker's web address
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"

namespace {

char gAlertParameters[4][kAlertParameterCapacity] = {};

constexpr int32_t kFirstAlertItem = 99;
constexpr int32_t kLastAlertItem = 101;
constexpr int32_t kAboutWebButton = 5;
constexpr int32_t kCloseCode = 1;

void FillClientWhite(const DialogPort* port) {
  int32_t width = 0;
  int32_t height = 0;
  if (PortGetClientSize(port, &width, &height))
    PortFillRect(port, ItemRect{0, 0, width, height}, RgbColour{255, 255, 255});
}

}  // namespace

void SetAlertParameters(const char* p0, const char* p1, const char* p2, const char* p3) {
  const char* texts[4] = {p0, p1, p2, p3};
  for (int32_t i = 0; i < 4; ++i) CopyText(gAlertParameters[i], kAlertParameterCapacity, texts[i] ? texts[i] : "");
}

const char* GetAlertParameter(int32_t index) { return index >= 0 && index < 4 ? gAlertParameters[index] : ""; }

void SubstituteAlertParameters(const char* text, const char* const parameters[4], char* out, size_t capacity) {
  if (!out || capacity == 0) return;
  size_t n = 0;
  auto put = [&](char c) {
    if (n + 1 < capacity) out[n++] = c;
  };
  for (const char* p = text ? text : ""; *p && n + 1 < capacity; ++p) {
    if (p[0] == '^' && p[1] >= '0' && p[1] <= '3') {
      const char* parameter = parameters[p[1] - '0'];
      if (parameter && parameter[0]) {
        for (const char* q = parameter; *q && n + 1 < capacity; ++q) put(*q);
        ++p;
        continue;
      }
    }
    put(*p);
  }
  out[n] = 0;
}

int32_t AlertDialogHandler(void* /*state*/, const DialogPort* port, const DialogEvent* event) {
  switch (event->kind) {
    case DialogEventKind::Init: {
      CentreWindow(port);
      const char* parameters[4] = {gAlertParameters[0], gAlertParameters[1], gAlertParameters[2], gAlertParameters[3]};
      for (int32_t id = kFirstAlertItem; id <= kLastAlertItem; ++id) {
        if (!PortItemExists(port, id)) continue;
        char text[kAlertTextCapacity];
        char substituted[kAlertTextCapacity];
        PortGetItemText(port, id, text, int32_t(sizeof(text)));
        SubstituteAlertParameters(text, parameters, substituted, sizeof(substituted));
        PortSetItemText(port, id, substituted);
      }
      return 1;
    }
    case DialogEventKind::Command:
      if (event->code != kNotifyClicked) return 0;
      PortEndDialog(port, event->id);
      return 1;
    default:
      return 0;
  }
}

int32_t ShowAlertByName(const char* templateName) {
  return RunModalDialog(templateName, AlertDialogHandler, nullptr, nullptr);
}

void ShowRefusalNoAdvanceState() { ShowAlertByName("REFUSAL2"); }

void ShowRefusalMultichannel() { ShowAlertByName("REFUSAL3"); }

int32_t AboutDialogHandler(void* /*state*/, const DialogPort* port, const DialogEvent* event) {
  DialogModuleState& module = GetDialogModuleState();
  switch (event->kind) {
    case DialogEventKind::EraseBackground:
      FillClientWhite(port);
      return 1;
    case DialogEventKind::Init:
      CentreWindow(port);
      module.aboutBoxOpen = 1;
      module.aboutBox = port;
      return 1;
    case DialogEventKind::Command:
      if (event->code != kNotifyClicked) return 0;
      if (event->id == kAboutWebButton) OpenWebPage(kMakerWebAddress);
      PortEndDialog(port, event->id);
      return 1;
    case DialogEventKind::Close:
      PortEndDialog(port, kCloseCode);
      return 1;
    default:
      return 0;
  }
}

int32_t ShowAboutBox() {
  DialogModuleState& module = GetDialogModuleState();
  if (module.aboutBoxOpen) return 0;
  RunModalDialog("ABOUTBOX", AboutDialogHandler, nullptr, nullptr);
  module.aboutBoxOpen = 0;
  module.aboutBox = nullptr;
  return 0;
}

int32_t InfoBoxHandler(void* /*state*/, const DialogPort* port, const DialogEvent* event) {
  DialogModuleState& module = GetDialogModuleState();
  switch (event->kind) {
    case DialogEventKind::EraseBackground:
      FillClientWhite(port);
      return 1;
    case DialogEventKind::Init:
      module.infoBox = port;
      PortSetTimer(port, kInfoBoxTimerId, kInfoBoxTickMs);
      CentreWindow(port);
      return 1;
    case DialogEventKind::Command:
      if (event->code != kNotifyClicked) return 0;
      module.infoBoxOpen = 0;
      PortEndDialog(port, event->id);
      return 1;
    case DialogEventKind::Timer:
      if (event->id != kInfoBoxTimerId) return 0;
      PortKillTimer(port, kInfoBoxTimerId);
      if (module.mainDialog) {
        PortSetTimer(port, kInfoBoxTimerId, kInfoBoxTickMs);
      } else {
        PortEndDialog(port, kCloseCode);
      }
      return 1;
    default:
      return 0;
  }
}

void ShowInfoBox() {
  DialogModuleState& module = GetDialogModuleState();
  if (module.infoBoxOpen) return;
  module.infoBoxOpen = 1;
  RunModalDialog("KELMO_INFO_BOX", InfoBoxHandler, nullptr, nullptr);
  // However the box ended, it may open again.
  module.infoBoxOpen = 0;
  module.infoBox = nullptr;
}
