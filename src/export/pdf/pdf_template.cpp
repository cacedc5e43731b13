#include "export/pdf/pdf_template.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "export/pdf/pdf_sink.h"

namespace vorlix::exporter::pdf {
namespace {

// The formatter's precision when %f names none.
constexpr int kDefaultRealDecimals = 2;
// Decimals a template may ask for, and the longest real that can then be written.
constexpr int kMaxDecimals = 20;
constexpr std::size_t kRealBound = 330;
constexpr std::size_t kIntegerBound = 21;

// Short pieces are copied by hand: a library call costs more than the copy.
char* PutBytes(char* at, std::string_view bytes) {
  if (bytes.size() > 16) {
    std::memcpy(at, bytes.data(), bytes.size());
    return at + bytes.size();
  }
  for (char ch : bytes) *at++ = ch;
  return at;
}

char* PutCopies(char* at, char ch, int count) {
  if (count > 0) {
    std::memset(at, ch, static_cast<std::size_t>(count));
    at += count;
  }
  return at;
}

char* PutInteger(char* at, std::int64_t value, int minWidth, int minDigits) {
  if (minWidth == 0 && minDigits <= 1) return std::to_chars(at, at + kIntegerBound, value).ptr;
  char digits[kIntegerBound];
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char* end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
  const int count = static_cast<int>(end - digits);
  const int zeros = std::max(minDigits - count, 0);
  const int length = (value < 0 ? 1 : 0) + zeros + count;
  at = PutCopies(at, ' ', minWidth - length);
  if (value < 0) *at++ = '-';
  at = PutCopies(at, '0', zeros);
  std::memcpy(at, digits, static_cast<std::size_t>(count));
  return at + count;
}

char* PutReal(char* at, double value, int minWidth, int decimals) {
  // Whole numbers, the usual coordinates, need no decimal conversion.
  if (minWidth == 0 && decimals > 0 && value == std::trunc(value) && !std::signbit(value) &&
      value < 1e15) {
    at = PutInteger(at, static_cast<std::int64_t>(value), 0, 1);
    *at++ = '.';
    return PutCopies(at, '0', decimals);
  }
  char text[kRealBound];
  auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) throw std::logic_error("real out of range for a PDF template");
  const int length = static_cast<int>(end - text);
  at = PutCopies(at, ' ', minWidth - length);
  std::memcpy(at, text, static_cast<std::size_t>(length));
  return at + length;
}

int ReadNumber(std::string_view tmpl, std::size_t& i) {
  int n = 0;
  while (i < tmpl.size() && tmpl[i] >= '0' && tmpl[i] <= '9') n = n * 10 + (tmpl[i++] - '0');
  return n;
}

}  // namespace

PdfTemplate::PdfTemplate(std::string_view tmpl) {
  Piece piece;
  std::size_t i = 0;
  while (i < tmpl.size()) {
    const char ch = tmpl[i++];
    if (ch != '%') {
      piece.literal += ch;
      continue;
    }
    if (i < tmpl.size() && tmpl[i] == '%') {
      piece.literal += '%';
      ++i;
      continue;
    }
    piece.width = ReadNumber(tmpl, i);
    if (i < tmpl.size() && tmpl[i] == '.') {
      ++i;
      piece.precision = ReadNumber(tmpl, i);
    }
    if (i >= tmpl.size()) throw std::logic_error("PDF template ends inside a conversion");
    piece.conversion = tmpl[i++];
    if (piece.conversion != 'd' && piece.conversion != 'f' && piece.conversion != 's')
      throw std::logic_error("unknown conversion in a PDF template");
    if (piece.precision > kMaxDecimals) throw std::logic_error("PDF template precision too large");
    pieces_.push_back(std::move(piece));
    piece = Piece();
  }
  pieces_.push_back(std::move(piece));
  for (const Piece& p : pieces_) {
    fixedBound_ += p.literal.size();
    const auto width = static_cast<std::size_t>(std::max(p.width, p.precision));
    if (p.conversion == 'd') fixedBound_ += std::max(width, kIntegerBound);
    if (p.conversion == 'f') fixedBound_ += width + kRealBound;
  }
}

std::size_t PdfTemplate::Bound(std::initializer_list<TemplateArg> args) const {
  if (args.size() + 1 != pieces_.size())
    throw std::logic_error("PDF template and arguments do not match");
  std::size_t bound = fixedBound_;
  auto piece = pieces_.begin();
  for (const TemplateArg& a : args) {
    switch ((piece++)->conversion) {
      case 'd':
        if (a.kind_ != TemplateArg::Kind::Integer)
          throw std::logic_error("%d needs a whole number");
        break;
      case 'f':
        if (a.kind_ == TemplateArg::Kind::Text) throw std::logic_error("%f needs a number");
        break;
      default:
        if (a.kind_ != TemplateArg::Kind::Text) throw std::logic_error("%s needs a text");
        bound += a.text_.size();
        break;
    }
  }
  return bound;
}

char* PdfTemplate::Put(char* at, std::initializer_list<TemplateArg> args) const {
  auto arg = args.begin();
  for (const Piece& piece : pieces_) {
    at = PutBytes(at, piece.literal);
    if (piece.conversion == 0) break;
    const TemplateArg& a = *arg++;
    switch (piece.conversion) {
      case 'd':
        at = PutInteger(at, a.integer_, piece.width, piece.precision < 0 ? 1 : piece.precision);
        break;
      case 'f':
        at = PutReal(at,
                     a.kind_ == TemplateArg::Kind::Real ? a.real_ : static_cast<double>(a.integer_),
                     piece.width, piece.precision < 0 ? kDefaultRealDecimals : piece.precision);
        break;
      default:
        at = PutBytes(at, a.text_);
        break;
    }
  }
  return at;
}

void PdfTemplate::Append(std::string& out, std::initializer_list<TemplateArg> args) const {
  const std::size_t start = out.size();
  out.resize(start + Bound(args));
  char* end = Put(out.data() + start, args);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

void PdfTemplate::Append(PdfSink& out, std::initializer_list<TemplateArg> args) const {
  char* at = out.Reserve(Bound(args));
  out.Commit(Put(at, args));
}

void AppendTemplate(std::string& out, std::string_view tmpl,
                    std::initializer_list<TemplateArg> args) {
  PdfTemplate(tmpl).Append(out, args);
}

}  // namespace vorlix::exporter::pdf
