#include "export/morvat_columns.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "export/custom_source.h"
#include "platform/number_picture.h"
#include "platform/plain_text.h"
#include "platform/text_encoding.h"

namespace vorlix::exporter {

namespace {
// A list view offers no canvas to measure with, so the letter "X" counts 8 pixels.
constexpr int kListViewCharWidth = 8;

int CharsOf(int pixels, int charWidth) {
  if (charWidth <= 0 || pixels <= 0) return 0;
  return pixels / charWidth;
}

// The position of the last of `count` columns whose name (nameOf(c)) is `wanted`; -1 for none.
template <class NameOf>
int LastColumnNamed(int count, const std::string& wanted, NameOf nameOf) {
  int position = -1;
  for (int c = 0; c < count; ++c)
    if (SameText(nameOf(c), wanted)) position = c;
  return position;
}
}  // namespace

TMorvatColumn& TMorvatColumns::Add() {
  columns_.push_back(std::make_unique<TMorvatColumn>());
  return *columns_.back();
}

int TMorvatColumns::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(columns_[i]->Name, name)) return i;
  return -1;
}

void TMorvatColumns::ResetAggregateIndexes() {
  for (auto& column : columns_) column->AggregateIndex = 0;
}

void TMorvatColumns::Fill(BlobFields blobs) {
  Clear();
  settings_.ReadFrom(*owner_);
  const TMorvatFormats* formats = owner_->FormatsOption("Formats");
  hasFormats_ = formats != nullptr;
  formats_ = formats ? *formats : TMorvatFormats();
  auto readList = [&](const char* name) -> std::optional<MorvatStringList> {
    const MorvatStringList* list = owner_->StringsOption(name);
    return list ? std::optional<MorvatStringList>(*list) : std::nullopt;
  };
  userFormats_ = readList("UserFormats");
  columnsWidth_ = readList("ColumnsWidth");
  captions_ = readList("Captions");
  columnsAlign_ = readList("ColumnsAlign");
  onFetchedRecord_ = owner_->RecNoEventOption("OnFetchedRecord");
  blobs_ = blobs;

  switch (settings_.ExportSource) {
    case esListView:
      if (settings_.ListView) FillListView(*settings_.ListView);
      break;
    case esDataSet:
      if (settings_.DataSet) FillDataSet(*settings_.DataSet);
      break;
    case esDBGrid:
      if (settings_.DBGrid) FillDBGrid(*settings_.DBGrid);
      break;
    case esStringGrid:
      if (settings_.StringGrid) FillStringGrid(*settings_.StringGrid);
      break;
    case esCustom:
      if (settings_.CustomSource) FillCustom(*settings_.CustomSource);
      break;
  }
}

TMorvatColType TMorvatColumns::Guess(const std::string& text) const {
  return GuessColType(text, formats_.BooleanTrue(), formats_.BooleanFalse());
}

void TMorvatColumns::FillListView(IMorvatListView& list) {
  const MorvatStringList& fields = settings_.ExportedFields;
  int candidates = fields.Empty() ? list.ColumnCount() : fields.Count();
  for (int i = 0; i < candidates; ++i) {
    const int position =
        fields.Empty() ? i : LastColumnNamed(list.ColumnCount(), fields[i], [&](int c) {
          return list.ColumnCaption(c);
        });
    if (position < 0) continue;
    TMorvatColumn& column = Add();
    column.ColumnIndex = position;
    column.Name = list.ColumnCaption(position);
    if (!settings_.AutoCalcStrType)
      column.ColType = ectString;
    else if (list.ItemCount() == 0)
      column.ColType = ectInteger;
    else
      column.ColType = Guess(position == 0 ? list.ItemCaption(0) : list.SubItem(0, position - 1));
    Finish(column, list.ColumnCaption(position),
           CharsOf(list.ColumnWidth(position), kListViewCharWidth));
  }
}

bool TMorvatColumns::LeavesOut(IMorvatDataSet& dataSet, int field) const {
  if (settings_.ExportedFields.Empty() && blobs_ == BlobFields::kLeftOut &&
      IsBlobField(dataSet.FieldType(field)))
    return true;
  return settings_.OnlyVisibleFields && !dataSet.FieldVisible(field);
}

void TMorvatColumns::FillDataSet(IMorvatDataSet& dataSet) {
  const MorvatStringList& fields = settings_.ExportedFields;
  int candidates = fields.Empty() ? dataSet.FieldCount() : fields.Count();
  for (int i = 0; i < candidates; ++i) {
    int field = fields.Empty() ? i : dataSet.FindField(fields[i]);
    if (field < 0) continue;
    if (LeavesOut(dataSet, field)) continue;
    TMorvatColumn& column = Add();
    column.ColumnIndex = field;
    column.Name = dataSet.FieldName(field);
    column.ColType = ColTypeOfField(dataSet.FieldType(field));
    Finish(column, dataSet.FieldDisplayLabel(field), dataSet.FieldDisplayWidth(field));
  }
}

void TMorvatColumns::FillDBGrid(IMorvatDBGrid& grid) {
  IMorvatDataSet* dataSet = grid.DataSet();
  if (!dataSet) return;
  const MorvatStringList& fields = settings_.ExportedFields;
  int candidates = fields.Empty() ? grid.ColumnCount() : fields.Count();
  for (int i = 0; i < candidates; ++i) {
    const int position =
        fields.Empty() ? i : LastColumnNamed(grid.ColumnCount(), fields[i], [&](int c) {
          return grid.ColumnFieldName(c);
        });
    if (position < 0) continue;
    int field = dataSet->FindField(grid.ColumnFieldName(position));
    if (field < 0) continue;  // a grid column without a field has nothing to export
    if (LeavesOut(*dataSet, field)) continue;
    TMorvatColumn& column = Add();
    column.ColumnIndex = position;
    column.Name = dataSet->FieldName(field);
    column.ColType = ColTypeOfField(dataSet->FieldType(field));
    Finish(column, grid.ColumnTitle(position),
           CharsOf(grid.ColumnWidth(position), grid.CharWidth()));
  }
}

void TMorvatColumns::FillStringGrid(IMorvatStringGrid& grid) {
  const MorvatStringList& fields = settings_.ExportedFields;
  int candidates = fields.Empty() ? grid.ColCount() : fields.Count();
  for (int i = 0; i < candidates; ++i) {
    int position = i;
    if (!fields.Empty()) {
      std::optional<int32_t> number = platform::ParseInt32(fields[i]);
      if (!number || *number < 0 || *number >= grid.ColCount()) continue;
      position = *number;
    }
    TMorvatColumn& column = Add();
    column.ColumnIndex = position;
    column.Name = std::to_string(position);
    column.ColType = settings_.AutoCalcStrType ? Guess(grid.Cell(position, grid.Row())) : ectString;
    std::string caption = settings_.CaptionRow == -1 ? "ColNo_" + std::to_string(position)
                                                     : grid.Cell(position, settings_.CaptionRow);
    Finish(column, caption, CharsOf(grid.ColWidth(position), grid.CharWidth()));
  }
}

void TMorvatColumns::FillCustom(TmvCustomSource& source) {
  const MorvatStringList& fields = settings_.ExportedFields;
  int candidates = fields.Empty() ? source.ColumnCount() : fields.Count();
  for (int i = 0; i < candidates; ++i) {
    TmvCustomColumn* custom = fields.Empty() ? &source.Column(i) : source.FindColumn(fields[i]);
    if (!custom) continue;
    TMorvatColumn& column = Add();
    column.ColumnIndex = custom->Index();
    column.Name = custom->ColumnName();
    column.ColType = custom->ColumnType;
    Finish(column, custom->Caption, custom->Width);
  }
}

void TMorvatColumns::Finish(TMorvatColumn& column, const std::string& sourceCaption,
                            int sourceWidth) {
  std::optional<std::string> caption = captions_ ? captions_->Value(column.Name) : std::nullopt;
  column.Caption = caption ? *caption : sourceCaption;

  std::optional<std::string> width =
      columnsWidth_ ? columnsWidth_->Value(column.Name) : std::nullopt;
  column.Width = width ? platform::ParseInt32(*width).value_or(0) : sourceWidth;

  column.Format.clear();
  if (hasFormats_) {
    switch (column.ColType) {
      case ectFloat:
        column.Format = formats_.FloatFormat();
        break;
      case ectCurrency:
        column.Format = formats_.CurrencyFormat();
        break;
      case ectDate:
        column.Format = formats_.DateFormat();
        break;
      case ectTime:
        column.Format = formats_.TimeFormat();
        break;
      case ectDateTime:
        column.Format = formats_.DateTimeFormat();
        break;
      case ectInteger:
      case ectBigint:
        column.Format = formats_.IntegerFormat();
        break;
      default:
        break;
    }
  }
  if (userFormats_)
    if (std::optional<std::string> format = userFormats_->Value(column.Name))
      column.Format = *format;

  column.ColAlign = ecaLeft;
  if (columnsAlign_) {
    if (std::optional<std::string> align = columnsAlign_->Value(column.Name)) {
      char first = align->empty()
                       ? 'L'
                       : static_cast<char>(std::toupper(static_cast<unsigned char>((*align)[0])));
      column.ColAlign = first == 'C' ? ecaCenter : first == 'R' ? ecaRight : ecaLeft;
    } else {
      switch (column.ColType) {
        case ectInteger:
        case ectBigint:
        case ectFloat:
        case ectCurrency:
          column.ColAlign = ecaRight;
          break;
        case ectBoolean:
          column.ColAlign = ecaCenter;
          break;
        default:
          break;
      }
    }
  }
}

void TMorvatColumns::CalcColWidths() {
  for (auto& column : columns_)
    column->Width =
        std::max(column->Width, static_cast<int>(platform::CharacterCount(column->Caption)));

  MorvatSourceCursor cursor(settings_, counter_);
  MorvatSavedPosition saved(cursor);

  cursor.FirstRecord();
  for (int i = 0; i < settings_.SkipRecCount; ++i) cursor.NextRecord();
  counter_ = 0;
  while (!cursor.EndOfData() &&
         (settings_.ExportRecCount == 0 || counter_ < settings_.ExportRecCount)) {
    for (auto& column : columns_) {
      // Measured as the row will hold it: without blanks and control characters at the ends.
      std::string text = FormatValue(platform::TrimControls(cursor.GetColumnValue(*column)),
                                     column->Format, column->ColType, normalize_);
      column->Width = std::max(column->Width, static_cast<int>(platform::CharacterCount(text)));
    }
    cursor.NextRecord();
    if (onFetchedRecord_) onFetchedRecord_(counter_);
    if (counter_ % kRecordsPerYield == 0) std::this_thread::yield();
  }
  saved.Restore();
}

}  // namespace vorlix::exporter
