// The dialogs' resource script that the Windows build compiles is the one
// the template tables write: a change to the tables or the layout without
// running tools/gen_dialog_script fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ui/dialog_geometry.h"
#include "ui/dialog_resource_script.h"

namespace {

TEST(DialogScript, CommittedScriptIsTheTablesScript) {
  std::ifstream in(std::string(ORBALIX_SOURCE_DIR) + "/resources/dialogs.rc", std::ios::binary);
  ASSERT_TRUE(in.good());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), DialogResourceScript()) << "run: gen_dialog_script resources/dialogs.rc";
}

TEST(DialogScript, EveryTemplateAndMainControlIsListed) {
  const std::string script = DialogResourceScript();
  for (const char* name : {"RIVADARORIREVODER", "REFUSAL2", "REFUSAL3", "ABOUTBOX", "KELMO_INFO_BOX",
                           "VASTO_PROGRESS"}) {
    EXPECT_NE(script.find(std::string(name) + " DIALOGEX"), std::string::npos) << name;
  }
  const DialogTemplate* main = FindDialogTemplate(kMainDialogTemplate);
  ASSERT_NE(main, nullptr);
  for (int32_t i = 0; i < main->itemCount; ++i) {
    // Each control's box lies inside the dialog, and a control with a layout
    // rectangle has a box that is not empty.
    const TemplateItemBox b = TemplateItemBoxAt(*main, i);
    EXPECT_GE(b.x, 0);
    EXPECT_GE(b.y, 0);
    EXPECT_LE(b.x + b.width, main->widthUnits) << main->items[i].id;
    EXPECT_LE(b.y + b.height, main->heightUnits) << main->items[i].id;
    EXPECT_GT(b.width, 0) << main->items[i].id;
  }
  // Texts with quotes are doubled as the resource compiler reads them.
  EXPECT_NE(script.find("\"Visit Quarrelstone's website...\""), std::string::npos);
}

}  // namespace
