// The HTML pages of the presets (the thumbnail of every ".q2q" settings file
// of a folder) and of the memory dots (a picture rendered from each filled
// dot). Each picture sits in a small frame drawn by four GIF pictures that
// are stored beside the page in a "web_images" folder with the pictures as
// JPEG files. The page is written whole under a scratch name and takes its
// name only when it is complete; only then is it shown.
#pragma once

#include <cstdint>

#include "host/rect_path.h"

struct GlobalsRecord;
struct TextOutput;

struct FrameGif {
  const char* name;
  const uint8_t* bytes;
  uint32_t size;
  int32_t width;
  int32_t height;
};
constexpr int32_t kFrameGifCount = 4;
// top.gif, left.gif, right.gif, bottom.gif (export/frame_gifs.cpp, generated).
extern const FrameGif kFrameGifs[kFrameGifCount];

constexpr int32_t kPresetsPage = 0;
constexpr int32_t kMemoryDotsPage = 3;
constexpr int32_t kMaxPageColumns = 10;
constexpr char kImageFolderName[] = "web_images";

struct HtmlPage {
  int32_t column;   // 1-based column of the next cell
  int32_t row;      // from 1
  int32_t columns;  // cells per row, at most 10
  TextOutput* out;
  int32_t pageKind;
  uint8_t boldNames;
};

// One byte of text as HTML: the markup characters, 123..159 as numeric
// entities and 160..255 as the Latin-1 named entities.
void WriteHtmlEscaped(uint8_t byte, TextOutput* out);
void WriteHtmlEscapedText(const char* text, TextOutput* out);
// File names in "src": ASCII letters and digits as they are, every other
// byte as "%" and two lower-case hex digits.
void WriteUrlEscapedText(const char* text, TextOutput* out);

// The pieces of a page.
void WriteHtmlImageTag(HtmlPage* page, int32_t width, int32_t height, const char* fileBase, const char* extension,
                       const char* altBase);
void WriteFrameTableTop(HtmlPage* page, int32_t width, int32_t height);
void WriteFrameTableBottom(HtmlPage* page, int32_t width, int32_t height);
void WriteHtmlPageHead(HtmlPage* page, const char* sourceFolder, int32_t kind, int32_t columns);
// One picture's cell; the row is opened before its first cell and closed
// (with the spacer row) after its last. `fileBase` names the JPEG in the
// image folder, `shownName` is the name under the picture.
void WriteHtmlThumbnailCell(HtmlPage* page, const char* fileBase, const char* shownName, int32_t width,
                            int32_t height);
void WriteHtmlRowEnd(HtmlPage* page);
void WriteHtmlEmptyCell(HtmlPage* page);
// Fills a partly filled last row with empty cells and ends the page.
void WriteHtmlPageEnd(HtmlPage* page);

// The "web_images" folder beside `pagePath` (made when missing), with its
// separator at the end. False when it cannot be made or the path is too long.
bool MakePageImageFolder(const char* pagePath, char* folderOut);
// Writes the four frame pictures into the folder (each replaced whole).
// Answers the first failure; a file that cannot be written is skipped.
int16_t WriteFrameGifs(const char* imageFolder);

// The presets page of `sourceFolder` (files whose extension is ".q2q", any
// case): one 88 x 88 cell per file, its thumbnail saved as JPEG. Answers the
// export result; *pictures gets the number of cells.
int16_t WritePresetsPage(GlobalsRecord* globals, const char* pagePath, const char* sourceFolder,
                         int32_t* pictures);
// The memory-dots page: one picture rendered from each filled memory dot
// (the longer side 300 pixels), until the cancel byte is set.
int16_t WriteMemoryDotsPage(GlobalsRecord* globals, const char* pagePath, uint8_t* cancel, int32_t* pictures);

// Renders the picture of memory dot `number` (0-based) and saves it as JPEG
// at `path`; the settings and the run state are as they were afterwards.
// *width and *height get the picture's size.
int16_t RenderPagePicture(int32_t number, GlobalsRecord* globals, const char* path, uint8_t* cancel,
                          int32_t* width, int32_t* height);

// Asks the desktop shell to show the written page.
bool OpenFileInShell(const char* path);
