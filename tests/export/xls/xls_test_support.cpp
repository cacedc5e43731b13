#include "xls_test_support.h"

#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "../run_command.h"
#include "platform/little_endian.h"

namespace vorlix::exporter::xls::test {

namespace {

// The value stored at offset o; a value beyond the data is a test failure, not a crash.
template <typename T>
T Load(const std::vector<uint8_t>& d, size_t o) {
  if (o > d.size() || d.size() - o < sizeof(T))
    throw std::out_of_range("a value beyond the end of the data");
  return platform::LoadLittleEndian<T>(d.data() + o);
}

}  // namespace

uint16_t U16(const std::vector<uint8_t>& d, size_t o) {
  return Load<uint16_t>(d, o);
}

uint32_t U32(const std::vector<uint8_t>& d, size_t o) {
  return Load<uint32_t>(d, o);
}

double F64(const std::vector<uint8_t>& d, size_t o) {
  return std::bit_cast<double>(Load<uint64_t>(d, o));
}

std::vector<Record> ParseRecords(const std::vector<uint8_t>& stream) {
  std::vector<Record> records;
  size_t p = 0;
  while (p + 4 <= stream.size()) {
    Record r;
    r.id = U16(stream, p);
    uint16_t length = U16(stream, p + 2);
    r.offset = p;
    if (p + 4 + length > stream.size()) throw std::runtime_error("record beyond the stream");
    r.data.assign(stream.begin() + p + 4, stream.begin() + p + 4 + length);
    records.push_back(std::move(r));
    p += 4 + length;
  }
  if (p != stream.size()) throw std::runtime_error("trailing bytes after the last record");
  return records;
}

std::vector<uint16_t> Ids(const std::vector<Record>& records) {
  std::vector<uint16_t> ids;
  for (const Record& r : records) ids.push_back(r.id);
  return ids;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ReadWorkbookStream(const std::filesystem::path& file) {
  const std::vector<uint8_t> f = ReadFileBytes(file);
  if (f.size() < 512) throw std::runtime_error("not a compound file");
  auto sector = [&](uint32_t s) { return size_t{512} + size_t{s} * 512; };
  // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
  std::vector<uint32_t> fatSectors;
  const uint32_t fatCount = U32(f, 44);
  for (uint32_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
    fatSectors.push_back(U32(f, 76 + 4 * i));
  for (uint32_t d = U32(f, 68); fatSectors.size() < fatCount && d < 0xFFFFFFFA;) {
    for (uint32_t i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
      fatSectors.push_back(U32(f, sector(d) + 4 * i));
    d = U32(f, sector(d) + 508);
  }
  std::vector<uint32_t> fat;
  for (uint32_t s : fatSectors)
    for (uint32_t i = 0; i < 128; ++i) fat.push_back(U32(f, sector(s) + 4 * i));
  auto chain = [&](uint32_t start) {
    std::vector<uint8_t> bytes;
    for (uint32_t s = start; s < 0xFFFFFFFA; s = fat.at(s))
      bytes.insert(bytes.end(), f.begin() + sector(s), f.begin() + sector(s) + 512);
    return bytes;
  };
  const std::vector<uint8_t> dir = chain(U32(f, 48));
  const uint32_t rootStart = U32(dir, 116);
  const uint32_t start = U32(dir, 128 + 116);
  const uint32_t size = U32(dir, 128 + 120);
  std::vector<uint8_t> stream;
  if (size < 4096) {
    const std::vector<uint8_t> mini = chain(rootStart);
    const std::vector<uint8_t> miniFatBytes = chain(U32(f, 60));
    for (uint32_t s = start; s < 0xFFFFFFFA; s = U32(miniFatBytes, 4 * s))
      stream.insert(stream.end(), mini.begin() + 64 * s, mini.begin() + 64 * s + 64);
  } else {
    stream = chain(start);
  }
  stream.resize(size);
  return stream;
}

namespace {

const char* const kReaders = "/usr/bin/python3 '" VORLIX_SOURCE_DIR "/tests/export/xls/readers.py'";

// Empty when the readers say "OK", else what they report.
std::string Run(const std::string& command) {
  const exporter::testing::CommandResult result = exporter::testing::RunCommand(command + " 2>&1");
  if (result.exitCode == 0 && result.output == "OK\n") return {};
  return result.output.empty() ? "readers failed" : result.output;
}

}  // namespace

std::string ContainerDefects(const std::filesystem::path& file) {
  return Run(std::string(kReaders) + " --container '" + file.string() + "'");
}

std::string ReadersDisagree(const std::filesystem::path& file, const std::vector<Sheet>& sheets) {
  TempDir dir;
  std::string command = std::string(kReaders) + " '" + file.string() + "'";
  for (size_t i = 0; i < sheets.size(); ++i) {
    std::filesystem::path expected = dir / ("expected" + std::to_string(i) + ".txt");
    std::ofstream out(expected, std::ios::binary);
    for (size_t r = 0; r < sheets[i].size(); ++r) {
      for (size_t c = 0; c < sheets[i][r].size(); ++c) out << (c ? "\t" : "") << sheets[i][r][c];
      out << "\n";
    }
    command += " '" + expected.string() + "'";
  }
  return Run(command);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorlix-xls-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vorlix::exporter::xls::test
