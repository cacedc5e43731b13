#pragma once
// Paper size, orientation and margins of the PDF exporter. Sizes are held as whole points;
// the real-valued properties convert on every read and write according to Units.

#include "export/pdf/pdf_box.h"

namespace vorlix::exporter::pdf {

enum TMorvatUnits { unInch, unMillimeter, unDot };

enum TMorvatPageFormat {
  pfLetter,
  pfLegal,
  pfA3,
  pfA4,
  pfA5,
  pfB5_JIS,
  pfUS_Std_Fanfold,
  pfFanfold,
  pfUser
};

enum TMorvatPageOrientation { poPortrait, poLandscape };

// Portrait width and height in points of a paper format; pfUser has none (0 x 0).
TPDFBox PaperSize(TMorvatPageFormat format);

// Round(value) in points for a value in `units`, halves to even.
int PointsFromUnits(double value, TMorvatUnits units);
// Points read back in `units`: inches to two decimals, whole millimetres, dots as they are.
double UnitsFromPoints(int points, TMorvatUnits units);

class TMorvatPDFPageOptions {
 public:
  TMorvatPDFPageOptions();

  TMorvatUnits Units() const { return units_; }
  // Changes how the real properties read and write; converts nothing.
  void SetUnits(TMorvatUnits units) { units_ = units; }

  double Width() const { return UnitsFromPoints(width_, units_); }
  double Height() const { return UnitsFromPoints(height_, units_); }
  // Setting either makes the format pfUser.
  void SetWidth(double value);
  void SetHeight(double value);

  TMorvatPageFormat Format() const { return format_; }
  // Any format but pfUser sets the portrait size of that paper, whatever the orientation.
  void SetFormat(TMorvatPageFormat format);

  TMorvatPageOrientation Orientation() const { return orientation_; }
  // A different orientation swaps width and height and turns the margins with the page.
  void SetOrientation(TMorvatPageOrientation orientation);

  double MarginLeft() const { return UnitsFromPoints(marginLeft_, units_); }
  double MarginRight() const { return UnitsFromPoints(marginRight_, units_); }
  double MarginTop() const { return UnitsFromPoints(marginTop_, units_); }
  double MarginBottom() const { return UnitsFromPoints(marginBottom_, units_); }
  void SetMarginLeft(double value) { marginLeft_ = PointsFromUnits(value, units_); }
  void SetMarginRight(double value) { marginRight_ = PointsFromUnits(value, units_); }
  void SetMarginTop(double value) { marginTop_ = PointsFromUnits(value, units_); }
  void SetMarginBottom(double value) { marginBottom_ = PointsFromUnits(value, units_); }

  // (0, 0, width - 1, height - 1).
  TPDFBox PageBox() const;
  // (left margin, bottom margin, width - right margin - 1, height - top margin - 1).
  TPDFBox ContentBox() const;

  friend bool operator==(const TMorvatPDFPageOptions&, const TMorvatPDFPageOptions&) = default;

 private:
  TMorvatUnits units_ = unInch;
  TMorvatPageFormat format_ = pfA4;
  TMorvatPageOrientation orientation_ = poPortrait;
  int width_ = 0;
  int height_ = 0;
  int marginLeft_ = 0;
  int marginRight_ = 0;
  int marginTop_ = 0;
  int marginBottom_ = 0;
};

}  // namespace vorlix::exporter::pdf
