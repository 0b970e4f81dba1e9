// The HTML pages: escaping, the grid of cells, the frame pictures and the
// presets page of a folder of settings files.
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "export/export_files.h"
#include "export/html_pages.h"
#include "export/text_output.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"
#include "tests/export_results/results_support.h"

namespace {

// Text written through an output into a file and read back.
template <typename Writer>
std::string Written(Writer write) {
  TestFolder folder("text");
  const std::string path = folder / "out.txt";
  std::unique_ptr<TextOutput> out = std::make_unique<TextOutput>();
  FileHandle file = kNoFile;
  EXPECT_EQ(OpenFileSpec(path.c_str(), &file, 1), kFileOk);
  InitTextOutput(out.get(), file);
  write(out.get());
  EXPECT_EQ(FlushTextOutput(out.get()), kFileOk);
  CloseFileHandle(file);
  return ReadWholeFile(path);
}

TEST(HtmlEscaping, EntitiesAndUrlBytes) {
  struct Case {
    uint8_t byte;
    const char* entity;
  };
  const Case cases[] = {{'a', "a"},        {' ', " "},           {'"', "&quot;"},  {'&', "&amp;"},
                        {'<', "&lt;"},     {'>', "&gt;"},        {'\t', "\t"},     {123, "&#123;"},
                        {150, "&#150;"},   {159, "&#159;"},      {160, "&nbsp;"},  {169, "&copy;"},
                        {215, "&times;"},  {223, "&szlig;"},     {233, "&eacute;"}, {247, "&divide;"},
                        {255, "&yuml;"},   {'~', "&#126;"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Written([&](TextOutput* out) { WriteHtmlEscaped(c.byte, out); }), c.entity) << int(c.byte);
  }
  EXPECT_EQ(Written([](TextOutput* out) { WriteUrlEscapedText("Ab9 &\xE9/.", out); }), "Ab9%20%26%e9%2f%2e");
}

std::string CellPage(int32_t cells, int32_t columns, int32_t kind) {
  return Written([&](TextOutput* out) {
    HtmlPage page{};
    page.out = out;
    WriteHtmlPageHead(&page, "/some & folder", kind, columns);
    for (int32_t k = 1; k <= cells; ++k) {
      const std::string name = "dot " + std::to_string(k);
      WriteHtmlThumbnailCell(&page, name.c_str(), name.c_str(), 100, 50);
    }
    WriteHtmlPageEnd(&page);
  });
}

size_t Count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// Six pictures in rows of four: a full row, then two cells and two empty
// cells; every row opens and closes, and every frame is whole.
TEST(HtmlPageGrid, RowsAreWholeAndTheLastIsFilled) {
  struct Case {
    int32_t cells, columns, kind;
    size_t rows, empty;
  };
  const Case cases[] = {{6, 4, kMemoryDotsPage, 2, 2}, {5, 5, kPresetsPage, 1, 0}, {0, 4, kMemoryDotsPage, 0, 0},
                        {3, 12, kPresetsPage, 1, 7}};
  for (const Case& c : cases) {
    const std::string html = CellPage(c.cells, c.columns, c.kind);
    SCOPED_TRACE(std::to_string(c.cells) + " in " + std::to_string(c.columns));
    const size_t frames = size_t(c.cells);
    // Picture rows, their spacer rows, and two rows of each frame.
    EXPECT_EQ(Count(html, "<tr>"), 2 * c.rows + 3 * frames);
    EXPECT_EQ(Count(html, "</tr>"), Count(html, "<tr>"));
    EXPECT_EQ(Count(html, "<table"), 1 + frames);
    EXPECT_EQ(Count(html, "</table>"), 1 + frames);
    EXPECT_EQ(Count(html, "Hoefler Text"), c.empty);
    EXPECT_EQ(Count(html, "&nbsp;</p></td>"), c.rows * size_t(std::min(c.columns, kMaxPageColumns)));
    EXPECT_EQ(html.substr(html.size() - 14), "</body></html>");
  }
  const std::string dots = CellPage(1, 4, kMemoryDotsPage);
  EXPECT_NE(dots.find("<title>Orbalix 2 memory dots</title>"), std::string::npos);
  EXPECT_NE(dots.find("<img src=\"web_images/dot%201.jpg\" alt=\"dot 1.jpg\" width=\"100\" height=\"50\" "
                      "border=\"0\">"),
            std::string::npos);
  EXPECT_NE(dots.find("<table id=\"Table_01\" width=\"106\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
                      "height=\"57\">\r\n"),
            std::string::npos);
  EXPECT_NE(dots.find("<img src=\"web_images/bottom.gif\" width=\"106\" height=\"5\" border=\"0\">"),
            std::string::npos);
  const std::string presets = CellPage(1, 5, kPresetsPage);
  EXPECT_NE(presets.find("<b>Orbalix 2 presets from /some &amp; folder<br>"), std::string::npos);
}

TEST(FrameGifs, SizesAndPalette) {
  const struct {
    const char* name;
    int32_t width, height;
  } expected[] = {{"top.gif", 94, 2}, {"left.gif", 3, 88}, {"right.gif", 3, 88}, {"bottom.gif", 94, 5}};
  for (int32_t k = 0; k < kFrameGifCount; ++k) {
    const FrameGif& gif = kFrameGifs[k];
    EXPECT_STREQ(gif.name, expected[k].name);
    ASSERT_GT(gif.size, 13u + 48u);
    EXPECT_EQ(std::memcmp(gif.bytes, "GIF89a", 6), 0);
    EXPECT_EQ(gif.bytes[6] | gif.bytes[7] << 8, expected[k].width);
    EXPECT_EQ(gif.bytes[8] | gif.bytes[9] << 8, expected[k].height);
    EXPECT_EQ(gif.bytes[10] & 0x87, 0x83) << "a global table of 16 entries";
    for (int32_t e = 0; e < 16; ++e) {
      const uint8_t* rgb = gif.bytes + 13 + 3 * e;
      EXPECT_TRUE(rgb[0] == rgb[1] && rgb[1] == rgb[2] && rgb[0] >= 160) << "a light grey";
    }
    EXPECT_EQ(gif.bytes[gif.size - 1], 0x3B);
  }
}

// Settings files with a picture of their own, in a folder with other files.
void WritePreset(const std::string& path, uint8_t shade) {
  auto block = std::make_unique<ParameterBlock>();
  SetDefaultSettings(block.get());
  auto thumbnail = std::make_unique<SettingsThumbnail>();
  InitSettingsThumbnail(thumbnail.get());
  thumbnail->exists = true;
  for (int32_t i = 0; i < kThumbnailSide * kThumbnailSide; ++i) {
    thumbnail->rgba[4 * i] = shade;
    thumbnail->rgba[4 * i + 1] = uint8_t(i % 128);
    thumbnail->rgba[4 * i + 2] = 40;
    thumbnail->rgba[4 * i + 3] = 255;
  }
  thumbnail->pictureWidth = kThumbnailSide;
  thumbnail->pictureHeight = kThumbnailSide;
  ASSERT_EQ(SaveSettingsFile(block.get(), thumbnail.get(), path.c_str()), kFileOk) << path;
}

TEST(PresetsPage, OneCellPerSettingsFileWithItsPicture) {
  TestFolder source("presets"), out("page");
  WritePreset(source / "a&b.q2q", 200);
#ifndef _WIN32
  // A high-byte name: on Windows the narrow name goes through the code page,
  // so the byte that reaches the folder differs from system to system.
  WritePreset(source / "caf\xE9.q2q", 90);
  const int32_t expectedPictures = 4;
#else
  const int32_t expectedPictures = 3;
#endif
  WritePreset(source / "UPPER.Q2Q", 30);
  WritePreset(source / "notes.q2q.txt", 10);  // not a settings file's name
  std::filesystem::create_directory(source / "folder.q2q");
  {
    std::ofstream broken(source / "broken.q2q");
    broken << "not settings";
  }
  int32_t pictures = 0;
  const std::string page = out / "Orbalix 2 presets.html";
  ASSERT_EQ(WritePresetsPage(nullptr, page.c_str(), source.path.string().c_str(), &pictures), kExportDone);
  EXPECT_EQ(pictures, expectedPictures);
  const std::string html = ReadWholeFile(page);
  EXPECT_NE(html.find("alt=\"a&amp;b.jpg\""), std::string::npos);
  EXPECT_NE(html.find(">a&amp;b</font>"), std::string::npos);
  EXPECT_NE(html.find("src=\"web_images/a%26b.jpg\""), std::string::npos);
#ifndef _WIN32
  EXPECT_NE(html.find(">caf&eacute;</font>"), std::string::npos);
#endif
  EXPECT_EQ(html.find("notes"), std::string::npos);
  EXPECT_EQ(html.find("folder.q2q"), std::string::npos);
  // Every picture the page names is there.
  const std::regex source_attr("src=\"web_images/([^\"]+)\"");
  size_t named = 0;
  for (std::sregex_iterator it(html.begin(), html.end(), source_attr), end; it != end; ++it) {
    std::string name;
    const std::string escaped = (*it)[1];
    for (size_t i = 0; i < escaped.size(); ++i) {
      if (escaped[i] == '%') {
        name += char(std::stoi(escaped.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        name += escaped[i];
      }
    }
    EXPECT_TRUE(std::filesystem::exists(out.path / "web_images" / name)) << name;
    ++named;
  }
  EXPECT_EQ(named, size_t(expectedPictures) * 5u);
  // No scratch file stays beside the page.
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out.path)) entries += entry.path().empty() ? 0 : 1;
  EXPECT_EQ(entries, 2u);
}

TEST(PresetsPage, UnlistableFolderWritesNoPage) {
  TestFolder out("nopage");
  const std::string page = out / "p.html";
  EXPECT_NE(WritePresetsPage(nullptr, page.c_str(), (out / "missing").c_str(), nullptr), kExportDone);
  EXPECT_FALSE(std::filesystem::exists(page));
}

}  // namespace
