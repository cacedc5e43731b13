#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vorlix::fuzz {

namespace {

constexpr size_t kMaxColumns = 8;
constexpr size_t kMaxRows = 300;
constexpr size_t kMaxCellLength = 20000;
constexpr size_t kMaxTableBytes = 200000;  // keeps every run short

constexpr uint8_t kEndCell = 0x1F;
constexpr uint8_t kEndRow = 0x1E;
constexpr uint8_t kRepeat = 0x1D;
constexpr uint8_t kLiteral = 0x1C;

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path made =
        std::filesystem::temp_directory_path() / ("vorlix-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(made);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return made;
  }();
  return folder;
}

}  // namespace

size_t Utf8SequenceLength(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, surrogates or code points above U+10FFFF.
  const unsigned char second = byte(i + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

std::string ScratchPath(const std::string& name) {
  return (ScratchFolder() / name).string();
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) Fail("cannot write the scratch file " + path);
}

void Fail(const std::string& what) {
  // Written whole: the text may hold NUL bytes.
  std::fputs("fuzz expectation broken: ", stderr);
  std::fwrite(what.data(), 1, what.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  std::abort();
}

GeneratedTable DecodeTable(const uint8_t* data, size_t size) {
  GeneratedTable table;
  size_t at = 0;
  auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  table.options = next();
  table.moreOptions = next();
  table.parameter = next();

  std::vector<std::vector<std::string>> rows(1);
  std::string cell;
  size_t tableBytes = 0;
  auto endCell = [&] {
    tableBytes += cell.size();
    if (rows.back().size() < kMaxColumns) rows.back().push_back(std::move(cell));
    cell.clear();
  };
  while (at < size && rows.size() <= kMaxRows) {
    const uint8_t b = data[at++];
    if (b == kEndCell) {
      endCell();
    } else if (b == kEndRow) {
      endCell();
      rows.emplace_back();
    } else if (b == kRepeat) {
      const std::string once = cell;
      for (int n = next(); n > 0 && cell.size() + once.size() <= kMaxCellLength &&
                           tableBytes + cell.size() + once.size() <= kMaxTableBytes;
           --n) {
        cell += once;
      }
    } else {
      cell += static_cast<char>(b == kLiteral ? next() : b);
      if (cell.size() > kMaxCellLength) cell.resize(kMaxCellLength);
    }
  }
  if (!cell.empty() || !rows.back().empty()) endCell();
  if (rows.back().empty()) rows.pop_back();
  if (rows.empty()) rows.push_back({"A"});

  table.captions = std::move(rows.front());
  for (size_t r = 1; r < rows.size(); ++r) {
    rows[r].resize(table.captions.size());
    table.rows.push_back(std::move(rows[r]));
  }
  return table;
}

void FillListView(exporter::MemoryListView& list, const GeneratedTable& table) {
  for (const std::string& caption : table.captions) list.AddColumn(caption, 80);
  for (const auto& row : table.rows) {
    list.AddItem(row.front(), std::vector<std::string>(row.begin() + 1, row.end()));
  }
}

std::string ValidUtf8(const std::string& text, const std::string& replacement) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      out += replacement;
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

std::string Trimmed(const std::string& value) {
  const auto kept = [](char c) { return static_cast<unsigned char>(c) > 0x20; };
  const auto first = std::find_if(value.begin(), value.end(), kept);
  const auto last = std::find_if(value.rbegin(), value.rend(), kept).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace vorlix::fuzz
