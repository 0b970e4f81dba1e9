// The dialogs' templates written as a resource script: the Windows build
// compiles it into the plug-in, so that the dialogs are the resources the
// system's dialog manager loads by name. tools/gen_dialog_script writes it
// into resources/dialogs.rc; a test keeps that file equal to the tables.
#pragma once

#include <string>

#include "ui/dialog_templates.h"

// Where an item of a template sits, in dialog units.
struct TemplateItemBox {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// The box of item `index` of the template (the main dialog's from its pixel
// layout; the small dialogs' from their own arrangement).
TemplateItemBox TemplateItemBoxAt(const DialogTemplate& dialogTemplate, int32_t index);

std::string DialogResourceScript();
