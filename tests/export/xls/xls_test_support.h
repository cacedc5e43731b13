#pragma once
// Helpers of the workbook tests: a record parser, a small compound-file reader, the external
// readers, and temporary folders.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace vorlix::exporter::xls::test {

struct Record {
  uint16_t id = 0;
  size_t offset = 0;  // of the header in the stream
  std::vector<uint8_t> data;
};

std::vector<Record> ParseRecords(const std::vector<uint8_t>& stream);
std::vector<uint16_t> Ids(const std::vector<Record>& records);
uint16_t U16(const std::vector<uint8_t>& data, size_t offset);
uint32_t U32(const std::vector<uint8_t>& data, size_t offset);
double F64(const std::vector<uint8_t>& data, size_t offset);

// The "Workbook" stream of a compound file (follows FAT, DIFAT and mini FAT chains).
std::vector<uint8_t> ReadWorkbookStream(const std::filesystem::path& file);
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& file);

using Sheet = std::vector<std::vector<std::string>>;
// Runs the external readers on the file; returns their output, empty when they agree with
// the expected cells of every sheet.
std::string ReadersDisagree(const std::filesystem::path& file, const std::vector<Sheet>& sheets);
// Runs olefile on the container alone; empty when it finds no defect.
std::string ContainerDefects(const std::filesystem::path& file);

// The message of the error a run raises, "no error" when it raises none.
template <typename Exporter>
std::string RunError(Exporter& exporter) {
  try {
    exporter.Execute();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vorlix::exporter::xls::test
