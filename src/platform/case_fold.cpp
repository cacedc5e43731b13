#include "platform/case_fold.h"

#include <unicode/ucasemap.h>

#include <memory>

#include "platform/plain_text.h"

namespace vorlix::platform {

namespace {

struct CaseMapCloser {
  void operator()(UCaseMap* map) const { ucasemap_close(map); }
};

// The case map of the default folding, made once; ICU lets threads share it.
const UCaseMap* FoldingMap() {
  static const std::unique_ptr<UCaseMap, CaseMapCloser> map = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCaseMap, CaseMapCloser> made(ucasemap_open("", U_FOLD_CASE_DEFAULT, &status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  return map.get();
}

// Folds text that holds a byte above ASCII, through ICU. Ill-formed UTF-8 is copied as it is.
void AppendFoldedUnicode(std::string& out, std::string_view text) {
  const UCaseMap* map = FoldingMap();
  const size_t start = out.size();
  // Folding seldom grows a text by more than three times; a longer result is asked for again.
  size_t room = text.size() * 3 + 4;
  for (int attempt = 0; map != nullptr && attempt < 2; ++attempt) {
    out.resize(start + room);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucasemap_utf8FoldCase(map, out.data() + start, static_cast<int32_t>(room), text.data(),
                              static_cast<int32_t>(text.size()), &status);
    if (U_SUCCESS(status) && length >= 0) {
      out.resize(start + static_cast<size_t>(length));
      return;
    }
    if (status != U_BUFFER_OVERFLOW_ERROR || length < 0) break;
    room = static_cast<size_t>(length);
  }
  out.resize(start);  // ICU failed: the ASCII fold, never nothing
  for (const char c : text) out += LowerCase(c);
}

}  // namespace

void AppendFoldCase(std::string& out, std::string_view text) {
  const size_t start = out.size();
  out.resize(start + text.size());
  char* folded = out.data() + start;
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      out.resize(start);
      AppendFoldedUnicode(out, text);
      return;
    }
    folded[i] = LowerCase(text[i]);
  }
}

std::string FoldCase(std::string_view text) {
  std::string folded;
  AppendFoldCase(folded, text);
  return folded;
}

bool EqualFolded(std::string_view a, std::string_view b) {
  return FoldCase(a) == FoldCase(b);
}

}  // namespace vorlix::platform
