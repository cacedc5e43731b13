#pragma once
// Numbers formatted with number pictures such as "#,###,##0" and "#,###,##0.00":
// "0" a digit always shown, "#" a digit shown when significant, "," anywhere in the integer
// part turns on thousands grouping, "." the decimal point; quoted text and other characters are
// copied. Up to three sections separated by ";" for positive, negative and zero values.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/locale_facts.h"

namespace vorlix::platform {

std::string FormatNumber(const std::string& picture, double value,
                         const LocaleFacts& facts = FormatSettings());

// The general form of a number: up to 15 significant digits, no grouping, the facts'
// decimal separator, exponent form for very large or small magnitudes.
std::string FormatGeneral(double value, const LocaleFacts& facts = FormatSettings());

// Whole-number and floating-point reading as the exporters use it: surrounding blanks allowed,
// a leading sign accepted; the float reader takes the facts' decimal separator and an exponent.
std::optional<int32_t> ParseInt32(const std::string& text);
std::optional<int64_t> ParseInt64(const std::string& text);
std::optional<double> ParseFloat(const std::string& text,
                                 const LocaleFacts& facts = FormatSettings());

}  // namespace vorlix::platform
