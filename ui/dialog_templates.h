// The dialogs' templates as data: which items each dialog has, of what class,
// with which text. The Windows resources are written from these, and the
// stand-in builds its windows from them.
#pragma once

#include <cstdint>

enum class ItemClass : int32_t {
  Static,   // text, or nothing: the controller draws on it
  Picture,  // a bitmap or icon resource
  Edit,
  Button,
  DefaultButton,
  OwnerDrawButton,
  CheckBox,
  RadioButton,
  ComboBox,  // drop-down list
};

constexpr int32_t kStaticItemId = -1;  // an item nobody addresses

struct TemplateItem {
  int32_t id;
  ItemClass itemClass;
  const char* text;
  int32_t resourceId;  // Picture: the bitmap or icon; -1 none
};

struct DialogTemplate {
  const char* name;
  const char* title;
  int32_t widthUnits;  // dialog units
  int32_t heightUnits;
  uint8_t systemMenu;
  const TemplateItem* items;
  int32_t itemCount;
};

constexpr const char* kMainDialogTemplate = "RIVADARORIREVODER";
constexpr const char* kProgressTemplate = "VASTO_PROGRESS";
// Not a dialog of its own: the panel that extends the settings file chooser.
constexpr const char* kThumbnailPanelTemplate = "FANCY_OPEN4";
constexpr int32_t kThumbnailPanelPicture = 123;  // the item that shows the thumbnail

// The template of that name, or null.
const DialogTemplate* FindDialogTemplate(const char* name);

// The class of a main-dialog control id in the template.
ItemClass MainDialogItemClass(int32_t id);

// Every template in turn (the resource script lists them all).
int32_t DialogTemplateCount();
const DialogTemplate* DialogTemplateAt(int32_t index);
