#pragma once
// Shared parts of the fuzz targets: scratch files, failing loudly, and tables generated from the
// fuzzer's bytes for the exporters.
//
// A generated table is read from bytes as: two option bytes, one parameter byte, then cells.
// 0x1F ends a cell and 0x1E a row; the first row holds the column captions (1 to 8 columns).
// 0x1D n repeats the cell's text so far, so that it appears n + 1 times (long texts from short
// inputs); 0x1C b puts the byte b itself into the cell. Every other byte is text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/memory_sources.h"

namespace vorlix::fuzz {

// A file path of its own for this process, in a folder removed when the process ends.
std::string ScratchPath(const std::string& name);

// Writes bytes to path, replacing what was there.
void WriteFile(const std::string& path, const uint8_t* data, size_t size);

// Reports a broken expectation and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

struct GeneratedTable {
  uint8_t options = 0;
  uint8_t moreOptions = 0;
  uint8_t parameter = 0;
  std::vector<std::string> captions;
  std::vector<std::vector<std::string>> rows;  // each as long as captions
};

GeneratedTable DecodeTable(const uint8_t* data, size_t size);

// The table as a list view with 80-pixel columns.
void FillListView(exporter::MemoryListView& list, const GeneratedTable& table);

// A generated table and a list view over it, the source the exporter targets export.
struct ListSource {
  ListSource(const uint8_t* data, size_t size) : table(DecodeTable(data, size)) {
    FillListView(list, table);
  }
  GeneratedTable table;
  exporter::MemoryListView list;
};

// The text with every byte that does not belong to a well-formed UTF-8 sequence replaced by
// `replacement`.
std::string ValidUtf8(const std::string& text, const std::string& replacement = "?");

// A record's value as the row takes it: without blanks and control characters at either end.
std::string Trimmed(const std::string& value);

// Length of the well-formed UTF-8 sequence starting at text[i]; 0 when there is none.
size_t Utf8SequenceLength(const std::string& text, size_t i);

}  // namespace vorlix::fuzz
