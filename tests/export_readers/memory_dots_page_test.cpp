// The memory-dots page rendered from the dots of a run: one picture per
// filled dot in rows of four, the user's settings as they were afterwards.
#include <regex>
#include <string>

#include "export/html_pages.h"
#include "settings/memory_dots.h"
#include "tests/export_results/results_support.h"
#include "tests/exports/export_fixture.h"

namespace {

using DotsPage = ExportFixture;

TEST_F(DotsPage, SixDotsMakeAFullRowAndAHalfFilledOne) {
  GlobalsRecord* g = StartOn(32, 16);
  ParameterBlock* block = Block();
  const int32_t filled[] = {0, 2, 3, 7, 11, 24};
  for (int32_t dot : filled) {
    Block()->longitude = float(dot * 10);
    ASSERT_EQ(SaveMemoryDotSettings(g, dot), 0);
    g->workRecord->dotStates[dot] = 1;
  }
  Block()->longitude = 33.0f;
  block = Block();
  const int32_t glue = block->glue;
  const std::string page = PathOf("dots.html");
  int32_t pictures = 0;
  uint8_t cancel = 0;
  ASSERT_EQ(WriteMemoryDotsPage(g, page.c_str(), &cancel, &pictures), 0);
  EXPECT_EQ(pictures, 6);
  EXPECT_EQ(Block()->longitude, 33.0f) << "the user's settings are back";
  EXPECT_EQ(Block()->glue, glue);
  const std::string html = ReadWholeFile(page);
  size_t rows = 0, empties = 0;
  for (size_t at = html.find("<tr>\r\n<td align"); at != std::string::npos; at = html.find("<tr>\r\n<td align", at + 1))
    ++rows;
  for (size_t at = html.find("Hoefler"); at != std::string::npos; at = html.find("Hoefler", at + 1)) ++empties;
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(empties, 2u);
  for (int32_t dot : filled) {
    const std::string name = "dot " + std::to_string(dot + 1) + ".jpg";
    EXPECT_TRUE(std::filesystem::exists(folder / "web_images" / name)) << name;
    EXPECT_NE(html.find("alt=\"" + name + "\""), std::string::npos);
  }
  // The pictures are 300 pixels on their longer side.
  EXPECT_NE(html.find("alt=\"dot 1.jpg\" width=\"300\" height=\"150\""), std::string::npos);
  FinishRun();
}

}  // namespace
