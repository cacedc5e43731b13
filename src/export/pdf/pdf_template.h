#pragma once
// Fills the document's printf-style templates. Numbers are written with "." as the decimal
// separator whatever the locale: the C library is not used.
//
// Conversions: %d whole number; %W.Pd at least P digits (leading zeros), at least W wide;
// %s text; %.Pf real with P decimals; %f real with two decimals; %% one percent sign.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::exporter::pdf {

class PdfSink;

class TemplateArg {
 public:
  TemplateArg(int value) : kind_(Kind::Integer), integer_(value) {}
  TemplateArg(std::int64_t value) : kind_(Kind::Integer), integer_(value) {}
  TemplateArg(double value) : kind_(Kind::Real), real_(value) {}
  TemplateArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
  TemplateArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
  TemplateArg(const char* value) : kind_(Kind::Text), text_(value) {}

 private:
  friend class PdfTemplate;
  enum class Kind { Integer, Real, Text };
  Kind kind_;
  std::int64_t integer_ = 0;
  double real_ = 0;
  std::string_view text_;
};

// A template parsed once, filled many times. A conversion the template language lacks, a
// missing argument or an argument of the wrong kind throws std::logic_error: templates are
// fixed in the code, so that is a programming fault.
class PdfTemplate {
 public:
  explicit PdfTemplate(std::string_view tmpl);
  // Append the template with each conversion filled from args in order.
  void Append(std::string& out, std::initializer_list<TemplateArg> args) const;
  void Append(PdfSink& out, std::initializer_list<TemplateArg> args) const;

 private:
  struct Piece {
    std::string literal;  // written before the conversion
    char conversion = 0;  // 'd', 'f', 's'; 0 for the closing literal
    int width = 0;
    int precision = -1;
  };
  // Checks the arguments and returns the most bytes the filled template can take.
  std::size_t Bound(std::initializer_list<TemplateArg> args) const;
  // Writes the filled template at `at` (with Bound bytes of room); returns its end.
  char* Put(char* at, std::initializer_list<TemplateArg> args) const;

  std::vector<Piece> pieces_;
  std::size_t fixedBound_ = 0;  // literals and numbers; texts add their length
};

// Parses tmpl and appends it filled; for templates used once.
void AppendTemplate(std::string& out, std::string_view tmpl,
                    std::initializer_list<TemplateArg> args);

}  // namespace vorlix::exporter::pdf
