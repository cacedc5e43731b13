#pragma once
// The window caption: main text, a fill of blanks and a ten-character notice kept near the right
// end of the title bar. Text widths come from the caller (the window measures in its own font).

#include <functional>
#include <string>

#include "platform/system_info.h"

namespace vorlix::core {

// Pixel width of a text in the window's font.
using TextWidth = std::function<int(const std::string&)>;

// The notice at the right of the caption: exactly ten characters.
extern const char kCaptionNotice[];

// The program's version as the caption shows it ("v1.07"); vorlix-cli --version prints it too.
extern const char kCaptionVersion[];

// 1 not NT family; 2 NT below major 5; else by minor version 0 -> 200, 1 -> 201, 2 -> 202,
// other -> 299. Only 201 (the narrow layout) changes the caption.
int WindowsVersionCode(const platform::OsVersion& version);
int WindowsVersionCode();  // of the running system

// Blanks while the truncated (width of the text plus one more blank) x factor stays below
// `available`, then cut to `maximum` characters. available <= 0 or maximum <= 0: empty.
std::string PadWithBlanks(int available, int maximum, double factor, const TextWidth& measure);

// The tree name as the caption shows it: the bundled sample tree is marked as such, so that
// nobody takes it for the directory they meant to open.
std::string ShownTreeName(const std::string& treeName, bool sampleTree);

// " " + kCaptionVersion + " - " followed by the tree name.
std::string CaptionMainText(const std::string& treeName);

// The whole caption for a window `outerWidth` pixels wide: main text, fill, notice. Never longer
// than 255 characters unless the main text itself is.
std::string LayoutCaption(const std::string& treeName, int outerWidth, int versionCode,
                          const TextWidth& measure);

}  // namespace vorlix::core
