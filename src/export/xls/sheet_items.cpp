#include "export/xls/sheet_items.h"

#include <cmath>

#include "export/morvat_strings.h"
#include "platform/date_time.h"
#include "platform/local_time.h"
#include "platform/locale_facts.h"
#include "platform/number_picture.h"

namespace vorlix::exporter::xls {

TxlsCell::TxlsCell() {
  const platform::LocaleFacts& facts = platform::FormatSettings();
  DateTimeFormat = facts.shortDateFormat + " " + facts.longTimeFormat;
  dateTime_ = std::floor(platform::Now());
}

void TxlsCell::SetCellType(TxlsCellType type) {
  if (type == cellType_) return;
  TxlsValue value = Value();
  cellType_ = type;
  SetValue(value);
}

void TxlsCell::SetValue(const TxlsValue& value) {
  switch (cellType_) {
    case ctBoolean: {
      boolean_ = false;
      if (auto b = std::get_if<bool>(&value))
        boolean_ = *b;
      else if (auto d = std::get_if<double>(&value))
        boolean_ = *d != 0;
      else if (auto s = std::get_if<std::string>(&value)) {
        if (SameText(*s, "true"))
          boolean_ = true;
        else if (auto n = platform::ParseFloat(*s))
          boolean_ = *n != 0;
      }
      break;
    }
    case ctDateTime: {
      std::optional<double> d;
      if (auto v = std::get_if<double>(&value))
        d = *v;
      else if (auto s = std::get_if<std::string>(&value))
        d = platform::ParseDateTime(*s);
      dateTime_ = d ? *d : platform::Now();
      break;
    }
    case ctNumeric: {
      std::optional<double> d;
      if (auto v = std::get_if<double>(&value))
        d = *v;
      else if (auto b = std::get_if<bool>(&value))
        d = *b ? 1.0 : 0.0;
      else if (auto s = std::get_if<std::string>(&value))
        d = platform::ParseFloat(*s);
      number_ = d ? *d : 0.0;
      break;
    }
    case ctString: {
      text_.clear();
      if (auto s = std::get_if<std::string>(&value))
        text_ = *s;
      else if (auto b = std::get_if<bool>(&value))
        text_ = *b ? "True" : "False";
      else if (auto v = std::get_if<double>(&value))
        text_ = platform::FormatGeneral(*v);
      break;
    }
  }
}

TxlsValue TxlsCell::Value() const {
  switch (cellType_) {
    case ctBoolean:
      return boolean_;
    case ctDateTime:
      return dateTime_;
    case ctNumeric:
      return number_;
    default:
      return text_;
  }
}

TxlsHyperlink& TxlsHyperlinks::Add() {
  TxlsHyperlink link;
  link.Format.Assign(*ownerFormat_);
  items_.push_back(link);
  return items_.back();
}

}  // namespace vorlix::exporter::xls
