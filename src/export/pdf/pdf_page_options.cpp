#include "export/pdf/pdf_page_options.h"

#include <cmath>
#include <utility>

#include "platform/rounding.h"

namespace vorlix::exporter::pdf {
namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;

}  // namespace

TPDFBox PaperSize(TMorvatPageFormat format) {
  switch (format) {
    case pfLetter:
      return {0, 0, 612, 792};
    case pfLegal:
      return {0, 0, 612, 1008};
    case pfA3:
      return {0, 0, 842, 1191};
    case pfA4:
      return {0, 0, 595, 842};
    case pfA5:
      return {0, 0, 420, 595};
    case pfB5_JIS:
      return {0, 0, 516, 729};
    case pfUS_Std_Fanfold:
      return {0, 0, 1071, 792};
    case pfFanfold:
      return {0, 0, 612, 864};
    case pfUser:
      break;
  }
  return {};
}

int PointsFromUnits(double value, TMorvatUnits units) {
  switch (units) {
    case unInch:
      return platform::RoundHalfToEvenInt(value * kPointsPerInch);
    case unMillimeter:
      return platform::RoundHalfToEvenInt(value / kMillimetresPerInch * kPointsPerInch);
    case unDot:
      return platform::RoundHalfToEvenInt(value);
  }
  return 0;
}

double UnitsFromPoints(int points, TMorvatUnits units) {
  switch (units) {
    case unInch:
      return platform::RoundHalfToEven(points / kPointsPerInch * 100.0) / 100.0;
    case unMillimeter:
      return platform::RoundHalfToEvenInt(points / kPointsPerInch * kMillimetresPerInch);
    case unDot:
      return points;
  }
  return 0;
}

TMorvatPDFPageOptions::TMorvatPDFPageOptions() {
  SetFormat(pfA4);
  SetMarginLeft(1.18);
  SetMarginRight(0.59);
  SetMarginTop(0.79);
  SetMarginBottom(0.79);
}

void TMorvatPDFPageOptions::SetWidth(double value) {
  width_ = PointsFromUnits(value, units_);
  format_ = pfUser;
}

void TMorvatPDFPageOptions::SetHeight(double value) {
  height_ = PointsFromUnits(value, units_);
  format_ = pfUser;
}

void TMorvatPDFPageOptions::SetFormat(TMorvatPageFormat format) {
  format_ = format;
  if (format == pfUser) return;
  const TPDFBox size = PaperSize(format);
  width_ = size.Right;
  height_ = size.Top;
}

void TMorvatPDFPageOptions::SetOrientation(TMorvatPageOrientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  std::swap(width_, height_);
  const int left = marginLeft_, right = marginRight_, top = marginTop_, bottom = marginBottom_;
  if (orientation == poLandscape) {
    marginLeft_ = bottom;
    marginRight_ = top;
    marginTop_ = left;
    marginBottom_ = right;
  } else {
    marginLeft_ = top;
    marginRight_ = bottom;
    marginTop_ = right;
    marginBottom_ = left;
  }
}

TPDFBox TMorvatPDFPageOptions::PageBox() const {
  return {0, 0, width_ - 1, height_ - 1};
}

TPDFBox TMorvatPDFPageOptions::ContentBox() const {
  return {marginLeft_, marginBottom_, width_ - marginRight_ - 1, height_ - marginTop_ - 1};
}

}  // namespace vorlix::exporter::pdf
