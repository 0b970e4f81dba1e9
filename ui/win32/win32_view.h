// The Windows view of the dialogs: the dialog port and the window system of
// ui/dialog_port.h over user32, gdi32 and comdlg32. The dialogs are the
// templates among the plug-in's resources; their artwork too.
#pragma once

#include <cstdint>

// Installs the view for the module whose resources hold the templates.
void InstallWin32WindowSystem(void* moduleInstance);

// GDI objects that the view has created and not yet released (bitmaps,
// device contexts, brushes, pens, fonts, icons).
int32_t Win32ViewLiveGdiObjects();

// The registered window message that every dialog of the view answers with
// Win32ViewLiveGdiObjects(): a test program in another thread can ask for
// the count where the system does not count per process.
constexpr const char* kLiveGdiObjectsMessage = "Orbalix2.LiveGdiObjects";
