#include "export/html_pages.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export/export_files.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "export/metadata_blocks.h"
#include "export/text_output.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/text_utils.h"
#include "image/image_record.h"
#include "platform/settings_os.h"
#include "platform/shell_os.h"
#include "projection/output_shapes.h"
#include "render/run_tables.h"
#include "settings/memory_dots.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kCellOpen[] = "<td align=\"center\" valign=\"top\" width=\"20%\">";
constexpr int32_t kPresetThumbnailSide = 88;
constexpr int32_t kDotPictureSide = 300;

// The HTML 4 names of the Latin-1 characters 160..255.
const char* const kLatin1Entities[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

void Line(TextOutput* out, const char* text) {
  WriteText(out, text);
  WriteText(out, kLineEnd);
}

bool EndsWithNoCase(const char* text, const char* tail) {
  const size_t n = std::strlen(text), m = std::strlen(tail);
  if (n < m) return false;
  for (size_t i = 0; i < m; ++i) {
    if (LowerAscii(text[n - m + i]) != LowerAscii(tail[i])) return false;
  }
  return true;
}

// folder + name, or false when the result would be longer than a path.
bool JoinPath(const char* folder, const char* name, char* out) {
  const size_t a = std::strlen(folder), b = std::strlen(name);
  if (a + b > size_t(kMaxPathLength)) return false;
  std::memcpy(out, folder, a);
  std::memcpy(out + a, name, b + 1);
  return true;
}

struct PageWrite {
  std::unique_ptr<ExportFileSet> set = std::make_unique<ExportFileSet>();
  std::unique_ptr<TextOutput> out = std::make_unique<TextOutput>();
  FileHandle file = kNoFile;
};

int16_t OpenPage(const char* pagePath, PageWrite* write) {
  InitExportFileSet(write->set.get(), true);
  const int16_t result = OpenExportFile(write->set.get(), pagePath, &write->file);
  if (result == kExportDone) InitTextOutput(write->out.get(), write->file);
  return result;
}

int16_t ClosePage(PageWrite* write, bool keep) {
  int16_t result = FlushTextOutput(write->out.get());
  const int16_t closed = CloseExportFile(write->set.get(), write->file, keep && result == kFileOk);
  if (result == kFileOk) result = closed;
  if (keep && result == kExportDone) return CommitExportFiles(write->set.get());
  DiscardExportFiles(write->set.get());
  return keep ? result : kExportCancelled;
}

struct RasterReader {
  const PixelRaster* raster;
};

// A picture file written whole and renamed into place.
template <typename SaveProc>
int16_t WritePictureFile(const char* path, SaveProc save) {
  auto set = std::make_unique<ExportFileSet>();
  InitExportFileSet(set.get(), true);
  FileHandle file = kNoFile;
  int16_t result = OpenExportFile(set.get(), path, &file);
  if (result != kExportDone) return result;
  result = save(file);
  const int16_t closed = CloseExportFile(set.get(), file, result == kExportDone);
  if (result == kExportDone) result = closed;
  if (result == kExportDone) return CommitExportFiles(set.get());
  DiscardExportFiles(set.get());
  return result;
}

// The base name of a file name: without its last extension.
std::string BaseName(const char* name) {
  std::string base = name;
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base;
}

struct PresetListing {
  std::vector<std::string> names;
};

bool CollectPreset(void* context, const char* name, bool isFolder, bool /*readOnly*/) {
  auto* listing = static_cast<PresetListing*>(context);
  if (!isFolder && EndsWithNoCase(name, ".q2q") && std::strlen(name) > 4) listing->names.emplace_back(name);
  return true;
}

}  // namespace

void WriteHtmlEscaped(uint8_t byte, TextOutput* out) {
  char text[16];
  switch (byte) {
    case 34: WriteText(out, "&quot;"); return;
    case 38: WriteText(out, "&amp;"); return;
    case 60: WriteText(out, "&lt;"); return;
    case 62: WriteText(out, "&gt;"); return;
    default: break;
  }
  if (byte >= 123 && byte <= 159) {
    std::snprintf(text, sizeof text, "&#%03d;", int(byte));
    WriteText(out, text);
  } else if (byte >= 160) {
    WriteText(out, "&");
    WriteText(out, kLatin1Entities[byte - 160]);
    WriteText(out, ";");
  } else {
    const char c = char(byte);
    WriteTextBytes(out, &c, 1);
  }
}

void WriteHtmlEscapedText(const char* text, TextOutput* out) {
  for (; text != nullptr && *text != 0; ++text) WriteHtmlEscaped(uint8_t(*text), out);
}

void WriteUrlEscapedText(const char* text, TextOutput* out) {
  for (; text != nullptr && *text != 0; ++text) {
    const uint8_t c = uint8_t(*text);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain) {
      WriteTextBytes(out, text, 1);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02x", unsigned(c));
      WriteText(out, hex);
    }
  }
}

void WriteHtmlImageTag(HtmlPage* page, int32_t width, int32_t height, const char* fileBase, const char* extension,
                       const char* altBase) {
  TextOutput* out = page->out;
  WriteText(out, "<img src=\"");
  WriteText(out, kImageFolderName);
  WriteText(out, "/");
  WriteUrlEscapedText(fileBase, out);
  WriteText(out, extension);
  WriteText(out, "\"");
  if (altBase != nullptr) {
    WriteText(out, " alt=\"");
    WriteHtmlEscapedText(altBase, out);
    WriteText(out, extension);
    WriteText(out, "\"");
  }
  WriteFormatted(out, " width=\"%d\" height=\"%d\" border=\"0\">", int(width), int(height));
}

void WriteFrameTableTop(HtmlPage* page, int32_t width, int32_t height) {
  TextOutput* out = page->out;
  WriteText(out, "<table id=\"Table_01\" width=");
  WriteQuotedIntText(out, width + 6);
  WriteText(out, " border=\"0\" cellspacing=\"0\" cellpadding=\"0\" height=");
  WriteQuotedIntText(out, height + 7);
  Line(out, ">");
  Line(out, "<tr>");
  WriteText(out, "<td colspan=\"3\">");
  WriteHtmlImageTag(page, width + 6, 2, "top", ".gif", nullptr);
  Line(out, "</td>");
  Line(out, "</tr>");
  Line(out, "<tr>");
  WriteText(out, "<td>");
  WriteHtmlImageTag(page, 3, height, "left", ".gif", nullptr);
  Line(out, "</td>");
  WriteText(out, "<td>");
}

void WriteFrameTableBottom(HtmlPage* page, int32_t width, int32_t height) {
  TextOutput* out = page->out;
  Line(out, "</td>");
  WriteText(out, "<td>");
  WriteHtmlImageTag(page, 3, height, "right", ".gif", nullptr);
  Line(out, "</td>");
  Line(out, "</tr>");
  Line(out, "<tr>");
  WriteText(out, "<td colspan=\"3\">");
  WriteHtmlImageTag(page, width + 6, 5, "bottom", ".gif", nullptr);
  Line(out, "</td>");
  Line(out, "</tr>");
  Line(out, "</table>");
}

void WriteHtmlPageHead(HtmlPage* page, const char* sourceFolder, int32_t kind, int32_t columns) {
  TextOutput* out = page->out;
  page->columns = columns < 1 ? 1 : (columns > kMaxPageColumns ? kMaxPageColumns : columns);
  page->column = 1;
  page->row = 1;
  page->pageKind = kind;
  Line(out, "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  Line(out, "");
  Line(out, "<html>");
  Line(out, "<head>");
  Line(out, "<meta http-equiv=\"content-type\" content=\"text/html;charset=ISO-8859-1\">");
  WriteText(out, "<meta name=\"generator\" content=\"Quarrelstone Orbalix 2\"><title>Orbalix 2");
  WriteText(out, kind == kPresetsPage ? " presets" : " memory dots");
  Line(out, "</title>");
  Line(out, "</head>");
  Line(out, "");
  Line(out, "<body bgcolor=\"#ffffff\">");
  Line(out, "<p><br>");
  Line(out, "");
  WriteText(out, "<font size=\"4\" face=\"Gill Sans,Verdana,Helvetica,Arial,Geneva\"><b>Orbalix 2");
  if (kind == kPresetsPage) {
    WriteText(out, " presets from ");
    WriteHtmlEscapedText(sourceFolder, out);
  } else {
    WriteText(out, " memory dots ");
  }
  Line(out, "<br>");
  Line(out, "</b></font></p><table width=\"100%\" border=\"0\" cellspacing=\"12\" cellpadding=\"0\" align=\"center\">");
}

void WriteHtmlRowEnd(HtmlPage* page) {
  TextOutput* out = page->out;
  Line(out, "</tr>");
  WriteText(out, "<tr>");
  for (int32_t k = 0; k < page->columns; ++k) WriteText(out, "<td align=\"center\" valign=\"top\" width=\"20%\"><p>&nbsp;</p></td>");
  Line(out, "</tr>");
  page->row += 1;
  page->column = 1;
}

namespace {
// Every row opens with "<tr>" on both pages, so the table's rows are whole.
void OpenRowIfFirst(HtmlPage* page) {
  if (page->column == 1) Line(page->out, "<tr>");
}
void CellDone(HtmlPage* page) {
  if (page->column >= page->columns) {
    WriteHtmlRowEnd(page);
  } else {
    page->column += 1;
  }
}
}  // namespace

void WriteHtmlThumbnailCell(HtmlPage* page, const char* fileBase, const char* shownName, int32_t width,
                            int32_t height) {
  TextOutput* out = page->out;
  OpenRowIfFirst(page);
  Line(out, kCellOpen);
  WriteFrameTableTop(page, width, height);
  WriteHtmlImageTag(page, width, height, fileBase, ".jpg", shownName);
  WriteFrameTableBottom(page, width, height);
  Line(out, "<div align=\"center\">");
  WriteText(out, "<br><font  size=\"3\" face=\"Gill Sans,Verdana,Helvetica,Arial\">");
  if (page->boldNames) WriteText(out, "<b>");
  WriteHtmlEscapedText(shownName, out);
  if (page->boldNames) WriteText(out, "</b>");
  WriteText(out, "</font></div></td>");
  WriteText(out, kLineEnd);
  WriteText(out, kLineEnd);
  CellDone(page);
}

void WriteHtmlEmptyCell(HtmlPage* page) {
  TextOutput* out = page->out;
  OpenRowIfFirst(page);
  WriteText(out, kCellOpen);
  Line(out, "<p></p>");
  Line(out, "<div align=\"center\">");
  Line(out, "<p><font face=\"Hoefler Text,Times New Roman,Georgia,Times\"><b></b></font></p>");
  Line(out, "</div>");
  WriteText(out, "</td>");
  WriteText(out, kLineEnd);
  WriteText(out, kLineEnd);
  CellDone(page);
}

void WriteHtmlPageEnd(HtmlPage* page) {
  if (page->column >= 2) {
    while (page->column != 1) WriteHtmlEmptyCell(page);
  }
  Line(page->out, "</table><br>");
  WriteText(page->out, "</body></html>");
}

bool MakePageImageFolder(const char* pagePath, char* folderOut) {
  const size_t length = std::strlen(pagePath);
  size_t nameStart = 0;
  for (size_t i = 0; i < length; ++i) {
    if (pagePath[i] == '/' || pagePath[i] == '\\') nameStart = i + 1;
  }
  const size_t nameLength = std::strlen(kImageFolderName);
  if (nameStart + nameLength + 1 > size_t(kMaxPathLength)) return false;
  std::memcpy(folderOut, pagePath, nameStart);
  std::memcpy(folderOut + nameStart, kImageFolderName, nameLength);
  folderOut[nameStart + nameLength] = 0;
  if (!OsMakeFolder(folderOut)) return false;
  folderOut[nameStart + nameLength] = OsPathSeparator();
  folderOut[nameStart + nameLength + 1] = 0;
  return true;
}

int16_t WriteFrameGifs(const char* imageFolder) {
  int16_t result = kExportDone;
  for (const FrameGif& gif : kFrameGifs) {
    char path[kMaxPathLength + 1];
    int16_t written = kExportPathTooLong;
    if (JoinPath(imageFolder, gif.name, path)) {
      written = WritePictureFile(path, [&](FileHandle file) {
        int32_t count = int32_t(gif.size);
        const int16_t r = WriteBlock(file, &count, gif.bytes);
        return r != kFileOk ? r : (count == int32_t(gif.size) ? kExportDone : kExportWriteFailed);
      });
    }
    if (result == kExportDone) result = written;
  }
  return result;
}

int16_t WritePresetsPage(GlobalsRecord* globals, const char* pagePath, const char* sourceFolder,
                         int32_t* pictures) {
  if (pictures != nullptr) *pictures = 0;
  char imageFolder[kMaxPathLength + 1];
  if (!MakePageImageFolder(pagePath, imageFolder)) return kExportCannotOpen;
  WriteFrameGifs(imageFolder);
  PresetListing listing;
  std::string folder = sourceFolder;
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += OsPathSeparator();
  if (!OsListFolder(folder.c_str(), CollectPreset, &listing)) return kExportCannotOpen;
  PageWrite write;
  int16_t result = OpenPage(pagePath, &write);
  if (result != kExportDone) return result;
  HtmlPage page{};
  page.out = write.out.get();
  page.boldNames = 0;
  WriteHtmlPageHead(&page, sourceFolder, kPresetsPage, 5);
  auto thumbnail = std::make_unique<SettingsThumbnail>();
  auto block = std::make_unique<ParameterBlock>();
  std::vector<uint8_t> rgba(size_t(kPresetThumbnailSide) * kPresetThumbnailSide * 4);
  for (const std::string& name : listing.names) {
    char settingsPath[kMaxPathLength + 1];
    if (!JoinPath(folder.c_str(), name.c_str(), settingsPath)) continue;
    const std::string shown = BaseName(name.c_str());
    std::string fileBase = shown;
    SanitiseFileName(fileBase.data());
    char picturePath[kMaxPathLength + 1];
    const bool named = JoinPath(imageFolder, (fileBase + ".jpg").c_str(), picturePath);
    InitSettingsThumbnail(thumbnail.get());
    PaintThumbnailBackground(thumbnail.get());
    std::memset(block.get(), 0, sizeof *block);
    uint8_t hasPicture = 0;
    ReadSettingsFile(block.get(), thumbnail.get(), settingsPath, kReadThumbnailOnly, &hasPicture);
    WriteHtmlThumbnailCell(&page, fileBase.c_str(), shown.c_str(), kPresetThumbnailSide, kPresetThumbnailSide);
    if (pictures != nullptr) *pictures += 1;
    PixelRaster raster{kPresetThumbnailSide, kPresetThumbnailSide, 4, rgba.data()};
    CopyThumbnailToImage(thumbnail.get(), &raster);
    // A picture that cannot be written leaves its cell pointing at nothing.
    if (named) {
      WritePictureFile(picturePath, [&](FileHandle file) {
        return SaveRasterAsJpegFile(globals, &raster, file, ExportPresetThumbnail);
      });
    }
  }
  WriteHtmlPageEnd(&page);
  return ClosePage(&write, true);
}

int16_t RenderPagePicture(int32_t number, GlobalsRecord* globals, const char* path, uint8_t* cancel,
                          int32_t* width, int32_t* height) {
  WorkRecord* work = globals->workRecord;
  if (work == nullptr) return kExportNoMemory;
  SmallPictureRender picture;
  BeginSmallPictureRender(globals, kDotPictureSide, &picture);
  const int32_t w = picture.width, h = picture.height;
  *width = w;
  *height = h;
  int16_t result = kExportDone;
  ImageRecord image;
  InitImageRecord(&image, &globals->imageOwner, &work->filterTables);
  if (w < 1 || h < 1 || !CreateImage(&image, w, h, PixelRgba8, FetchClamp)) result = kExportNoMemory;
  if (result == kExportDone) {
    // The user's settings wait in the scratch dot while the dot's are used.
    result = SaveMemoryDotSettings(globals, kScratchMemoryDot);
    if (result == kExportDone) {
      result = LoadMemoryDotSettings(globals, number);
      ParameterBlock* block = GetParameterBlock(globals);
      block->runMode = RunModeExport;
      block->exportKind = ExportPlain;
      if (result == kExportDone) {
        work->offscreenTarget = &image;
        result = RenderExportImage(globals, &image, cancel);
        work->offscreenTarget = nullptr;
      }
      if (result == kExportDone) {
        result = WritePictureFile(path, [&](FileHandle file) {
          return SaveImageAsJpegFile(globals, &image, file, -1, false);
        });
      }
      const int16_t restored = LoadMemoryDotSettings(globals, kScratchMemoryDot);
      if (result == kExportDone) result = restored;
    }
  }
  FreeImageRecord(&image);
  EndSmallPictureRender(globals, &picture);
  return result;
}

int16_t WriteMemoryDotsPage(GlobalsRecord* globals, const char* pagePath, uint8_t* cancel, int32_t* pictures) {
  if (pictures != nullptr) *pictures = 0;
  char imageFolder[kMaxPathLength + 1];
  if (!MakePageImageFolder(pagePath, imageFolder)) return kExportCannotOpen;
  WriteFrameGifs(imageFolder);
  PageWrite write;
  int16_t result = OpenPage(pagePath, &write);
  if (result != kExportDone) return result;
  HtmlPage page{};
  page.out = write.out.get();
  page.boldNames = 0;
  WriteHtmlPageHead(&page, nullptr, kMemoryDotsPage, 4);
  for (int32_t k = 1; k <= kMemoryDotCount && (cancel == nullptr || *cancel == 0); ++k) {
    if (globals->workRecord->dotStates[k - 1] == 0) continue;
    char name[32];
    std::snprintf(name, sizeof name, "dot %d", int(k));
    char picturePath[kMaxPathLength + 1];
    int32_t w = kDotPictureSide, h = kDotPictureSide;
    if (JoinPath(imageFolder, (std::string(name) + ".jpg").c_str(), picturePath)) {
      RenderPagePicture(k - 1, globals, picturePath, cancel, &w, &h);
    }
    WriteHtmlThumbnailCell(&page, name, name, w, h);
    globals->exportLayersDone += 1;
    if (pictures != nullptr) *pictures += 1;
  }
  WriteHtmlPageEnd(&page);
  return ClosePage(&write, true);
}

bool OpenFileInShell(const char* path) { return OsOpenInShell(path); }
