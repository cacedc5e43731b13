#include "export/morvat_formats.h"

#include <cmath>
#include <exception>

#include "export/morvat_strings.h"
#include "platform/date_time.h"
#include "platform/locale_facts.h"
#include "platform/number_picture.h"
#include "platform/plain_text.h"

namespace vorlix::exporter {

namespace {
const char kIntegerFormat[] = "#,###,##0";
const char kFloatFormat[] = "#,###,##0.00";

std::string Normalized(const std::string& text, const TMorvatNormalize& normalize) {
  return normalize ? normalize(text) : text;
}

std::string FormatNumberOrGeneral(const std::string& format, double value) {
  return format.empty() ? platform::FormatGeneral(value) : platform::FormatNumber(format, value);
}
}  // namespace

TMorvatFormats::TMorvatFormats()
    : integer_(kIntegerFormat),
      float_(kFloatFormat),
      date_(DefaultDateFormat()),
      time_(DefaultTimeFormat()),
      dateTime_(DefaultDateTimeFormat()),
      currency_(DefaultCurrencyFormat()),
      booleanTrue_("true"),
      booleanFalse_("false") {}

std::string TMorvatFormats::DefaultDateFormat() {
  return platform::FormatSettings().shortDateFormat;
}

std::string TMorvatFormats::DefaultTimeFormat() {
  return platform::FormatSettings().shortTimeFormat;
}

std::string TMorvatFormats::DefaultDateTimeFormat() {
  return DefaultDateFormat() + " " + DefaultTimeFormat();
}

std::string TMorvatFormats::DefaultCurrencyFormat() {
  const platform::LocaleFacts& facts = platform::FormatSettings();
  const std::string& symbol = facts.currencySymbol;
  switch (facts.currencyPlacement) {
    case platform::CurrencyPlacement::BeforeNoBlank:
      return symbol + kFloatFormat;
    case platform::CurrencyPlacement::AfterNoBlank:
      return kFloatFormat + symbol;
    case platform::CurrencyPlacement::BeforeBlank:
      return symbol + " " + kFloatFormat;
    case platform::CurrencyPlacement::AfterBlank:
      return std::string(kFloatFormat) + " " + symbol;
  }
  return symbol + kFloatFormat;
}

void TMorvatFormats::SetIntegerFormat(const std::string& value) {
  integer_ = value.empty() ? kIntegerFormat : value;
}
void TMorvatFormats::SetFloatFormat(const std::string& value) {
  float_ = value;
}
void TMorvatFormats::SetDateFormat(const std::string& value) {
  date_ = value.empty() ? DefaultDateFormat() : value;
}
void TMorvatFormats::SetTimeFormat(const std::string& value) {
  time_ = value.empty() ? DefaultTimeFormat() : value;
}
void TMorvatFormats::SetDateTimeFormat(const std::string& value) {
  dateTime_ = value.empty() ? DefaultDateTimeFormat() : value;
}
void TMorvatFormats::SetCurrencyFormat(const std::string& value) {
  currency_ = value.empty() ? DefaultCurrencyFormat() : value;
}
void TMorvatFormats::SetBooleanTrue(const std::string& value) {
  booleanTrue_ = value.empty() ? "true" : value;
}
void TMorvatFormats::SetBooleanFalse(const std::string& value) {
  booleanFalse_ = value.empty() ? "false" : value;
}
void TMorvatFormats::SetNullString(const std::string& value) {
  nullString_ = platform::TrimControls(value);
}

std::string FormatValue(const std::string& text, const std::string& format, TMorvatColType type,
                        const TMorvatNormalize& normalize) {
  try {
    switch (type) {
      case ectInteger: {
        int32_t value = platform::ParseInt32(text).value_or(0);
        return Normalized(FormatNumberOrGeneral(format, value), normalize);
      }
      case ectBigint: {
        int64_t value = platform::ParseInt64(text).value_or(0);
        if (format.empty()) return Normalized(std::to_string(value), normalize);
        return Normalized(platform::FormatNumber(format, static_cast<double>(value)), normalize);
      }
      case ectFloat:
      case ectCurrency: {
        std::optional<double> value = platform::ParseFloat(text);
        if (!value || !std::isfinite(*value)) return {};
        return Normalized(FormatNumberOrGeneral(format, *value), normalize);
      }
      case ectDate:
      case ectTime:
      case ectDateTime: {
        std::optional<platform::DateTime> value = platform::ParseDateTime(text);
        if (!value) return {};
        return Normalized(platform::FormatDateTime(format, *value), normalize);
      }
      case ectString:
        return Normalized(text, normalize);
      case ectBoolean:
      case ectUnknown:
        return text;
    }
  } catch (const std::exception&) {
    // A value that cannot be formatted exports as empty text.
  }
  return {};
}

TMorvatColType GuessColType(const std::string& text, const std::string& booleanTrue,
                            const std::string& booleanFalse) {
  if (text.empty()) return ectString;
  if (SameText(text, booleanTrue) || SameText(text, booleanFalse)) return ectBoolean;
  if (platform::ParseInt32(text)) return ectInteger;
  if (platform::ParseFloat(text)) return ectFloat;
  if (std::optional<platform::DateTime> value = platform::ParseDateTime(text)) {
    double day = std::floor(*value);
    if (*value == day) return ectDate;
    if (day == 0) return ectTime;
    return ectDateTime;
  }
  return ectString;
}

}  // namespace vorlix::exporter
