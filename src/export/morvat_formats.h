#pragma once
// Default format strings per value type, value formatting and the type guess.

#include <functional>
#include <string>

#include "export/morvat_types.h"

namespace vorlix::exporter {

// The nine default formats of an exporter. Setters keep the rules below; assigning one
// object to another (plain copy) copies all nine values.
class TMorvatFormats {
 public:
  // Fills every field with its default; the locale-derived ones come from
  // platform::FormatSettings() at the time of construction.
  TMorvatFormats();

  const std::string& IntegerFormat() const { return integer_; }
  const std::string& FloatFormat() const { return float_; }
  const std::string& DateFormat() const { return date_; }
  const std::string& TimeFormat() const { return time_; }
  const std::string& DateTimeFormat() const { return dateTime_; }
  const std::string& CurrencyFormat() const { return currency_; }
  const std::string& BooleanTrue() const { return booleanTrue_; }
  const std::string& BooleanFalse() const { return booleanFalse_; }
  const std::string& NullString() const { return nullString_; }

  // Empty restores "#,###,##0".
  void SetIntegerFormat(const std::string& value);
  // Any value is kept, empty included.
  void SetFloatFormat(const std::string& value);
  // Empty restores the locale default.
  void SetDateFormat(const std::string& value);
  void SetTimeFormat(const std::string& value);
  void SetDateTimeFormat(const std::string& value);
  void SetCurrencyFormat(const std::string& value);
  // Empty restores "true" / "false".
  void SetBooleanTrue(const std::string& value);
  void SetBooleanFalse(const std::string& value);
  // Stored without leading and trailing blanks and control characters.
  void SetNullString(const std::string& value);

  // The locale-derived defaults.
  static std::string DefaultDateFormat();
  static std::string DefaultTimeFormat();
  static std::string DefaultDateTimeFormat();
  static std::string DefaultCurrencyFormat();

  bool operator==(const TMorvatFormats&) const = default;

 private:
  std::string integer_, float_, date_, time_, dateTime_, currency_;
  std::string booleanTrue_, booleanFalse_, nullString_;
};

// An exporter's final treatment of a text (escaping for its format); identity when empty.
using TMorvatNormalize = std::function<std::string(const std::string&)>;

// The text of a raw value as a cell shows it, by the column's type:
// numbers are read (a whole number becomes 0 when it does not read) and formatted with the
// number picture `format`, date-times with the date-time picture, strings pass; then
// `normalize` applies. Booleans and unknown values are returned unchanged. A value that cannot
// be read or formatted (a float "abc") gives the empty text. An empty format gives the general
// form of the number or date-time.
std::string FormatValue(const std::string& text, const std::string& format, TMorvatColType type,
                        const TMorvatNormalize& normalize = {});

// The type a text looks like, first match winning: empty -> ectString; equal to
// booleanTrue/booleanFalse (case-insensitive) -> ectBoolean; a 32-bit whole number ->
// ectInteger; a floating-point number -> ectFloat; a date-time -> ectDate (no time of day),
// ectTime (zero date) or ectDateTime; else ectString.
TMorvatColType GuessColType(const std::string& text, const std::string& booleanTrue = "true",
                            const std::string& booleanFalse = "false");

}  // namespace vorlix::exporter
