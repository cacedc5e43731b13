// Record framing, the shared string table and the cell styles, byte for byte.

#include <gtest/gtest.h>

#include "export/xls/biff_record.h"
#include "export/xls/sst.h"
#include "export/xls/styles.h"
#include "xls_test_support.h"

namespace vorlix::exporter::xls {
namespace {

using test::ParseRecords;
using test::Record;
using test::U16;
using test::U32;

std::vector<Record> Saved(const TbiffRecord& record) {
  XlsBuffer out;
  record.SaveToStream(out);
  return ParseRecords(out.Bytes());
}

TEST(XlsRecordFraming, LongDataContinuesInPiecesOf8220) {
  std::vector<uint8_t> data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  TbiffRecord record(data, rid::kMsoDrawingGroup);
  record.SetChild(std::make_unique<TbiffCountry>(1, 1));
  EXPECT_EQ(record.GetRecordSize(), 20000u + 4 + 8);
  std::vector<Record> r = Saved(record);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].id, rid::kMsoDrawingGroup);
  EXPECT_EQ(r[1].id, rid::kContinue);
  EXPECT_EQ(r[2].id, rid::kContinue);
  EXPECT_EQ(r[0].data.size(), 8220u);
  EXPECT_EQ(r[1].data.size(), 8220u);
  EXPECT_EQ(r[2].data.size(), 3560u);
  std::vector<uint8_t> joined = r[0].data;
  joined.insert(joined.end(), r[1].data.begin(), r[1].data.end());
  joined.insert(joined.end(), r[2].data.begin(), r[2].data.end());
  EXPECT_EQ(joined, data);
  EXPECT_EQ(r[3].id, rid::kCountry);  // the child follows
  EXPECT_EQ(r[3].data, (std::vector<uint8_t>{1, 0, 1, 0}));

  // An empty record is a header of length 0; BOUNDSHEET holds its name in UTF-16.
  EXPECT_EQ(Saved(TbiffRecord(size_t{0}, rid::kEof))[0].data.size(), 0u);
  std::vector<Record> sheet = Saved(TbiffBoundSheet(u"Ab"));
  EXPECT_EQ(sheet[0].data, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 2, 1, 'A', 0, 'b', 0}));
}

// Strings of the SST and its CONTINUE records, as a reader reassembles them.
std::vector<std::u16string> ReadSst(const std::vector<Record>& records) {
  std::vector<std::u16string> strings;
  size_t r = 0, p = 8;
  auto ensure = [&](bool continuation) {
    if (p < records[r].data.size()) return false;
    ++r;
    p = 0;
    EXPECT_EQ(records.at(r).id, rid::kContinue);
    if (continuation) {
      EXPECT_EQ(records[r].data.at(p++), 1);  // fresh flags byte
    }
    return true;
  };
  const uint32_t unique = U32(records[0].data, 4);
  for (uint32_t i = 0; i < unique; ++i) {
    ensure(false);
    uint16_t length = U16(records[r].data, p);
    EXPECT_EQ(records[r].data.at(p + 2), 1);
    p += 3;
    std::u16string s;
    while (s.size() < length) {
      ensure(true);
      s.push_back(U16(records[r].data, p));
      p += 2;
    }
    strings.push_back(s);
  }
  EXPECT_EQ(p, records[r].data.size());
  return strings;
}

TEST(XlsSharedStrings, IndexesCountsAndBytes) {
  TsstStrings sst;
  EXPECT_EQ(sst.AddString(u"abc"), 0u);
  EXPECT_EQ(sst.AddString(u"b"), 1u);
  EXPECT_EQ(sst.AddString(u"abc"), 0u);
  EXPECT_EQ(sst.AddString(u"Abc"), 2u);  // case-sensitive
  EXPECT_EQ(sst.AddString(u""), 3u);     // 3 bytes: length 0, flags
  EXPECT_EQ(sst.TotalReferences(), 5u);
  EXPECT_EQ(sst.UniqueStrings(), 4u);
  XlsBuffer out;
  sst.SaveToStream(out, 100);
  std::vector<Record> r = ParseRecords(out.Bytes());
  ASSERT_EQ(r.size(), 2u);
  const std::vector<uint8_t> expected = {5, 0,   0, 0,   4, 0,   0, 0, 3,   0, 1, 'a',
                                         0, 'b', 0, 'c', 0, 1,   0, 1, 'b', 0, 3, 0,
                                         1, 'A', 0, 'b', 0, 'c', 0, 0, 0,   1};
  EXPECT_EQ(r[0].data, expected);
  // EXTSST: 8 strings a bucket, the first string at stream position 100 + 12, offset 12.
  EXPECT_EQ(r[1].id, rid::kExtSst);
  EXPECT_EQ(r[1].data, (std::vector<uint8_t>{8, 0, 112, 0, 0, 0, 12, 0, 0, 0}));

  TsstStrings empty;
  XlsBuffer none;
  empty.SaveToStream(none);
  r = ParseRecords(none.Bytes());
  EXPECT_EQ(r[0].data, std::vector<uint8_t>(8, 0));
}

TEST(XlsSharedStrings, ContinuePlanKeepsStringsWhole) {
  // 4000 characters take 8003 bytes: each such string opens a CONTINUE of its own, which
  // begins directly with the string's length.
  TsstStrings sst;
  const std::u16string a(4000, u'a'), b(4000, u'b'), c(10, u'c');
  sst.AddString(a);
  sst.AddString(b);
  sst.AddString(c);
  EXPECT_EQ(sst.RecordPlan(), (std::vector<uint16_t>{8 + 8003, 8003 + 23}));
  XlsBuffer out;
  sst.SaveToStream(out);
  std::vector<Record> r = ParseRecords(out.Bytes());
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].data.size(), 8011u);
  EXPECT_EQ(r[1].data.size(), 8026u);
  EXPECT_EQ(U16(r[1].data, 0), 4000);  // no flags byte in front of a whole string
  EXPECT_EQ(ReadSst(r), (std::vector<std::u16string>{a, b, c}));

  // A string that ends on the record's last byte (8 + 8003 + 213 = 8224) stays in it.
  TsstStrings full;
  const std::u16string last(105, u'f');
  full.AddString(a);
  full.AddString(last);
  EXPECT_EQ(full.RecordPlan(), (std::vector<uint16_t>{8224}));
  full.AddString(c);
  EXPECT_EQ(full.RecordPlan(), (std::vector<uint16_t>{8224, 23}));
  XlsBuffer fullOut;
  full.SaveToStream(fullOut);
  r = ParseRecords(fullOut.Bytes());
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(ReadSst(r), (std::vector<std::u16string>{a, last, c}));
}

TEST(XlsSharedStrings, LongStringsAreCutBetweenCharacters) {
  // 5000 characters follow a short string; 12000 characters need three records.
  TsstStrings sst;
  std::u16string five(5000, u'x'), twelve;
  for (int i = 0; i < 12000; ++i) twelve.push_back(static_cast<char16_t>(0x100 + i % 500));
  sst.AddString(u"ab");
  sst.AddString(five);
  sst.AddString(twelve);
  sst.AddString(u"z");
  // The first record is filled to the last character: 8 + 7 ("ab") + 3 + 2 x 4103 = 8224.
  std::vector<uint16_t> plan = sst.RecordPlan();
  for (uint16_t length : plan) EXPECT_LE(length, 8224);
  XlsBuffer out;
  sst.SaveToStream(out);
  std::vector<Record> r = ParseRecords(out.Bytes());
  ASSERT_EQ(r.size(), plan.size() + 1);
  for (size_t i = 0; i < plan.size(); ++i) EXPECT_EQ(r[i].data.size(), plan[i]);
  EXPECT_EQ(plan[0], 8224);
  EXPECT_EQ(r[1].data[0], 1);  // continuation of "five" starts with its flags byte
  EXPECT_EQ(ReadSst(std::vector<Record>(r.begin(), r.end() - 1)),
            (std::vector<std::u16string>{u"ab", five, twelve, u"z"}));

  // A first string that does not fit behind the counts (4108 characters take 8219 bytes) is
  // cut in the SST record, since readers expect the first string to begin there.
  TsstStrings first;
  const std::u16string fits(4108, u'f');
  first.AddString(fits);
  first.AddString(u"z");
  EXPECT_EQ(first.RecordPlan(), (std::vector<uint16_t>{8 + 3 + 2 * 4106, 1 + 2 * 2 + 5}));
  XlsBuffer firstOut;
  first.SaveToStream(firstOut);
  r = ParseRecords(firstOut.Bytes());
  EXPECT_EQ(r[1].data[0], 1);  // the continuation starts with its flags byte
  EXPECT_EQ(ReadSst(std::vector<Record>(r.begin(), r.end() - 1)),
            (std::vector<std::u16string>{fits, u"z"}));

  // The EXTSST entry of a string that runs on into CONTINUE records points into the record
  // it begins in: eight 5-byte strings, then "five" at 4 + 8 + 40 = 52 bytes into the SST.
  TsstStrings indexed;
  for (char16_t c = u'a'; c < u'a' + 8; ++c) indexed.AddString(std::u16string(1, c));
  indexed.AddString(five);
  XlsBuffer withIndex;
  indexed.SaveToStream(withIndex, 1000);
  r = ParseRecords(withIndex.Bytes());
  ASSERT_EQ(r.back().id, rid::kExtSst);
  EXPECT_EQ(U32(r.back().data, 10), 1052u);
  EXPECT_EQ(U16(r.back().data, 14), 52);
}

TEST(XlsSharedStrings, ALongStringThatWouldStartAt8220Or8221OpensTheNextRecord) {
  // From fill 8,220 on no header and character fit before the record's end at 8,224: the
  // string begins the CONTINUE record, and the SST record ends with the string before it.
  const std::u16string longText(5000, u'L');
  for (const std::vector<size_t>& lengths :
       {std::vector<size_t>{4000, 103}, std::vector<size_t>{4000, 100, 2}}) {
    TsstStrings sst;
    std::vector<std::u16string> strings;
    size_t fill = 8;
    for (size_t i = 0; i < lengths.size(); ++i) {
      strings.emplace_back(lengths[i], static_cast<char16_t>(u'a' + i));
      sst.AddString(strings.back());
      fill += 3 + 2 * lengths[i];
    }
    SCOPED_TRACE(fill);
    ASSERT_TRUE(fill == 8220 || fill == 8221);
    sst.AddString(longText);
    strings.push_back(longText);
    XlsBuffer out;
    sst.SaveToStream(out);
    std::vector<Record> r = ParseRecords(out.Bytes());
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[0].data.size(), fill);
    EXPECT_EQ(U16(r[1].data, 0), 5000);  // the long string's own header
    EXPECT_EQ(r[1].data[2], 1);
    EXPECT_EQ(ReadSst(std::vector<Record>(r.begin(), r.end() - 1)), strings);
  }
}

TEST(XlsSharedStrings, TextsOfEitherWidthComeBackWhole) {
  // Texts whose bytes as held look alike but whose characters differ: one byte a character up
  // to U+00FF, two from U+0100 on ("AB" held is 41 42, U+4241 held is 41 42 as well).
  std::vector<std::u16string> texts = {u"",         u"AB",      u"\u4241",  u"\u00E9",
                                       u"\u01E9",   u"a\u00FF", u"a\u0100", u"\U0001F600",
                                       u"abcdefgh", u"abcdefg"};
  // Enough texts for the table to grow many times and the held texts to fill several blocks;
  // two texts of 40,000 wide characters do not fit one block together.
  for (int i = 0; i < 120000; ++i) {
    std::u16string text = u"member" + std::u16string(static_cast<size_t>(i % 7), u'x');
    for (char c : std::to_string(i)) text.push_back(static_cast<char16_t>(c));
    if (i % 5 == 0) text.push_back(static_cast<char16_t>(0x100 + i % 3000));
    texts.push_back(text);
  }
  texts.push_back(std::u16string(40000, u'\u0416'));
  texts.push_back(std::u16string(40000, u'\u0417'));
  texts.push_back(std::u16string(40000, u'\u00E4'));
  TsstStrings sst;
  for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(sst.AddString(texts[i]), i) << i;
  for (size_t i = texts.size(); i-- > 0;) ASSERT_EQ(sst.AddString(texts[i]), i) << i;
  EXPECT_EQ(sst.UniqueStrings(), texts.size());
  EXPECT_EQ(sst.TotalReferences(), 2 * texts.size());

  XlsBuffer out;
  sst.SaveToStream(out);
  std::vector<Record> r = ParseRecords(out.Bytes());
  ASSERT_EQ(r.back().id, rid::kExtSst);
  EXPECT_EQ(out.Size(), sst.SavedSize());
  EXPECT_EQ(ReadSst(std::vector<Record>(r.begin(), r.end() - 1)), texts);
  EXPECT_THROW(sst.AddString(std::u16string(65536, u'a')), std::length_error);
}

std::vector<uint8_t> XFBytes(const TxlsXFormat& xf) {
  return Saved(TbiffXF(xf))[0].data;
}

TEST(XlsStyles, BoldCaptionRun) {
  StyleTable styles;
  TxlsFormat bold;
  bold.Font.Style = xfsBold;
  EXPECT_EQ(styles.GetCellXF("General", nullptr), 15);
  EXPECT_EQ(styles.XFCount(), 0u);
  EXPECT_EQ(styles.GetCellXF("", nullptr), 16);
  EXPECT_EQ(styles.GetCellXF("", nullptr), 16);
  EXPECT_EQ(styles.GetCellXF("General", &bold), 17);
  EXPECT_EQ(styles.GetCellXF("General", &bold), 17);

  XlsBuffer out;
  styles.WriteRecords(out);
  std::vector<Record> r = ParseRecords(out.Bytes());
  // 4 default fonts, font 5, 16 fixed XFs, XF 16 and 17, 6 STYLE records.
  ASSERT_EQ(r.size(), 5u + 16 + 2 + 6);
  const std::vector<uint8_t> arial = {0xC8, 0, 0, 0,   8, 0,   0x90, 1,   0, 0,   0, 0,   1,
                                      0,    5, 1, 'a', 0, 'r', 0,    'i', 0, 'a', 0, 'l', 0};
  EXPECT_EQ(r[0].data, arial);
  EXPECT_EQ(U16(r[4].data, 6), 700);  // font 5 is bold
  EXPECT_EQ(r[5].id, rid::kXF);
  EXPECT_EQ(r[5].data, (std::vector<uint8_t>{0, 0, 0, 0, 0xF5, 0xFF, 0x20, 0, 0,    0x00,
                                             0, 0, 0, 0, 0,    0,    0,    0, 0xC0, 0x20}));
  EXPECT_EQ(r[20].data, (std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0x20, 0, 0,    0x00,
                                              0, 0, 0, 0, 0, 0, 0,    0, 0xC0, 0x20}));  // XF 15
  EXPECT_EQ(r[21].data, (std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0x20, 0, 0,    0x50,
                                              0, 0, 0, 0, 0, 0, 0,    0, 0x09, 0x04}));  // XF 16
  EXPECT_EQ(r[22].data, (std::vector<uint8_t>{5, 0, 0, 0, 1, 0, 0x20, 0, 0,    0x58,
                                              0, 0, 0, 0, 0, 0, 0,    0, 0x09, 0x04}));  // XF 17
  EXPECT_EQ(r[23].data, (std::vector<uint8_t>{0x10, 0x80, 0x03, 0xFF}));
  EXPECT_EQ(r[27].data, (std::vector<uint8_t>{0x00, 0x80, 0x00, 0xFF}));

  XlsBuffer palette;
  StyleTable::WritePalette(palette);
  ASSERT_EQ(palette.Size(), 230u);
  std::vector<Record> p = ParseRecords(palette.Bytes());
  EXPECT_EQ(U16(p[0].data, 0), 56);
  EXPECT_EQ(U32(p[0].data, 2), 0x000000u);          // index 8: black
  EXPECT_EQ(U32(p[0].data, 6), 0x00FFFFFFu);        // index 9: white
  EXPECT_EQ(U32(p[0].data, 2 + 4 * 4), 0xFF0000u);  // index 12: blue (0, 0, FF)
}

TEST(XlsStyles, RegistrationRules) {
  StyleTable styles;
  // Number formats from 50; the same string gives the same XF.
  const uint16_t money = styles.GetCellXF("#,###,##0.00", nullptr);
  EXPECT_EQ(styles.GetCellXF("#,###,##0.00", nullptr), money);
  EXPECT_EQ(styles.NumberFormatCount(), 1u);
  XlsBuffer out;
  styles.WriteRecords(out);
  std::vector<Record> r = ParseRecords(out.Bytes());
  EXPECT_EQ(r[4].id, rid::kFormat);
  EXPECT_EQ(U16(r[4].data, 0), 50);
  EXPECT_EQ(U16(r[4].data, 2), 12);

  // A border colour without a border style still makes a different XF.
  TxlsFormat a, b;
  b.Borders.Left.Color = clrRed;
  const uint16_t xa = styles.GetCellXF("", &a), xb = styles.GetCellXF("", &b);
  EXPECT_NE(xa, xb);
  EXPECT_EQ(XFBytes(*styles.FindXF(xa)), XFBytes(*styles.FindXF(xb)));

  // Font names compare exactly; the data font adds no font of its own.
  TxlsFormat upper;
  upper.Font.Name = "Arial";
  const uint16_t xu = styles.GetCellXF("", &upper);
  EXPECT_NE(xu, xa);
  ASSERT_NE(styles.FindXF(xu)->Font, nullptr);
  EXPECT_EQ(styles.FindXF(xu)->Font->Index, 5);
  EXPECT_EQ(styles.FindXF(xa)->Font, nullptr);

  // Borders, fill, alignment and wrap land in their bit fields.
  TxlsFormat full;
  full.Borders.Left = {bstThin, clrRed};
  full.Borders.Bottom = {bstDouble, clrBlue};
  full.Borders.DiagUp = {bstDashed, clrGreen};
  full.Fill = {clrYellow, ptSolid, clrBlack};
  full.Alignment = {halCenter, valTop};
  full.Wrap = true;
  std::vector<uint8_t> d = XFBytes(*styles.FindXF(styles.GetCellXF("", &full)));
  EXPECT_EQ(d[6], 2 + 8 + 0);
  EXPECT_EQ(d[9], 0x40 | 0x20 | 0x10);
  EXPECT_EQ(U16(d, 10), 1 | (6 << 12));
  EXPECT_EQ(U16(d, 12), 10 | 0x8000);
  EXPECT_EQ(U32(d, 14), (12u << 7) | (17u << 14) | (3u << 21) | (1u << 26));
  EXPECT_EQ(U16(d, 18), 13 | (8 << 7));
}

}  // namespace
}  // namespace vorlix::exporter::xls
