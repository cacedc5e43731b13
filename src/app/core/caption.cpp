#include "app/core/caption.h"

#include <cmath>

namespace vorlix::core {

namespace {

constexpr int kNarrowLayout = 201;
constexpr size_t kMaxCaption = 255;

// Truncates a scaled pixel width toward zero. The small bias keeps products such as 5 x 1.4,
// which binary fractions put just below 7, at their exact value.
int ScaledWidth(int width, double factor) {
  return static_cast<int>(std::trunc(static_cast<double>(width) * factor + 1e-9));
}

}  // namespace

const char kCaptionNotice[] = "(c) vorlix";
static_assert(sizeof(kCaptionNotice) == 11, "the caption notice has ten characters");

const char kCaptionVersion[] = "v1.07";

int WindowsVersionCode(const platform::OsVersion& version) {
  constexpr int kNtFamily = 2;
  if (version.platformId != kNtFamily) return 1;
  if (version.major < 5) return 2;
  switch (version.minor) {
    case 0:
      return 200;
    case 1:
      return 201;
    case 2:
      return 202;
    default:
      return 299;
  }
}

int WindowsVersionCode() {
  return WindowsVersionCode(platform::QueryOsVersion());
}

std::string PadWithBlanks(int available, int maximum, double factor, const TextWidth& measure) {
  if (available <= 0 || maximum <= 0) return {};
  std::string text;
  // Blanks past `maximum` would be cut off again, so the loop stops there; this also ends it
  // when the measure reports blanks as zero-width.
  while (text.size() < static_cast<size_t>(maximum) &&
         ScaledWidth(measure(text + " "), factor) < available) {
    text += ' ';
  }
  return text;
}

std::string ShownTreeName(const std::string& treeName, bool sampleTree) {
  return sampleTree ? treeName + " (the bundled sample tree)" : treeName;
}

std::string CaptionMainText(const std::string& treeName) {
  return std::string(" ") + kCaptionVersion + " - " + treeName;
}

std::string LayoutCaption(const std::string& treeName, int outerWidth, int versionCode,
                          const TextWidth& measure) {
  const bool narrow = versionCode == kNarrowLayout;
  const std::string main = CaptionMainText(treeName);
  const std::string notice = kCaptionNotice;
  const double widthFactor = narrow ? 1.4 : 1.1;
  const int u = ScaledWidth(measure(main), widthFactor);
  const int v = ScaledWidth(measure(notice), widthFactor);
  const int margin = narrow ? 80 : 110;
  const int available = outerWidth - margin - u - v;
  const int maximum = static_cast<int>(kMaxCaption) - static_cast<int>(main.size()) -
                      static_cast<int>(notice.size());
  const std::string fill = PadWithBlanks(available, maximum, narrow ? 1.4 : 1.0, measure);
  return main + fill + notice;
}

}  // namespace vorlix::core
