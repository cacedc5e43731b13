// The compound file around the Workbook stream, and the stream the workbook is written into.

#include "export/xls/compound_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "xls_test_support.h"

namespace vorlix::exporter::xls {
namespace {

using test::ContainerDefects;
using test::ReadFileBytes;
using test::ReadWorkbookStream;
using test::TempDir;
using test::U16;
using test::U32;

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131) ^ (i >> 9));
  return bytes;
}

void WriteContainer(const std::filesystem::path& file, const std::vector<uint8_t>& content) {
  CompoundFile compound;
  compound.Open(file.string());
  compound.Stream().Write(content.data(), content.size());
  compound.Close();
}

TEST(XlsCompoundFile, StreamSizesAroundTheMiniStreamCutoffAndDifat) {
  TempDir dir;
  // 7,200,000 bytes need 111 FAT sectors: more than the header's 109.
  for (size_t size :
       {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{70000}, size_t{7200000}}) {
    SCOPED_TRACE(size);
    const std::filesystem::path file = dir / ("c" + std::to_string(size) + ".bin");
    const std::vector<uint8_t> content = Pattern(size);
    WriteContainer(file, content);
    EXPECT_EQ(ReadWorkbookStream(file), content);
    EXPECT_EQ(ContainerDefects(file), "");
    const std::vector<uint8_t> f = ReadFileBytes(file);
    EXPECT_EQ(f.size() % 512, 0u);
    EXPECT_EQ(U16(f, 26), 3);  // version 3, 512-byte sectors
    EXPECT_EQ(U16(f, 30), 9);
    EXPECT_EQ(U32(f, 56), 4096u);
    const bool mini = size > 0 && size < 4096;
    EXPECT_EQ(U32(f, 64), mini ? 1u : 0u);  // mini FAT sectors
    const uint32_t fatSectors = U32(f, 44);
    EXPECT_EQ(U32(f, 72), size == 7200000 ? 1u : 0u);  // DIFAT sectors
    // As few FAT sectors as describe every sector of the file.
    const size_t sectors = f.size() / 512 - 1;
    EXPECT_GE(size_t{fatSectors} * 128, sectors);
    EXPECT_LT(size_t{fatSectors - 1} * 128, sectors);
    // The FAT marks its own sectors (and the DIFAT sector) as such.
    const uint32_t firstFat = U32(f, 76);
    for (uint32_t i = 0; i < fatSectors; ++i)
      EXPECT_EQ(U32(f, 512 + 512 * size_t{firstFat} + 4 * (firstFat + i)), 0xFFFFFFFDu);
    if (U32(f, 72) > 0) {
      EXPECT_EQ(U32(f, 512 + 512 * size_t{firstFat} + 4 * U32(f, 68)), 0xFFFFFFFCu);
    }
  }
}

TEST(XlsCompoundFile, ReplacesAnExistingFileAndReportsFailures) {
  TempDir dir;
  const std::filesystem::path file = dir / "book.xls";
  { std::ofstream(file, std::ios::binary) << std::string(50000, 'x'); }
  WriteContainer(file, Pattern(10));
  EXPECT_EQ(std::filesystem::file_size(file), 512u * 5);  // header, FAT, directory, mini FAT, data
  EXPECT_EQ(ReadWorkbookStream(file), Pattern(10));

  // A file another writer holds locked is refused and left as it is.
  {
    const int holder = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    CompoundFile second;
    EXPECT_THROW(second.Open(file.string()), std::runtime_error);
    ::close(holder);
    EXPECT_EQ(ReadWorkbookStream(file), Pattern(10));
  }

  CompoundFile compound;
  try {
    compound.Open((dir / "missing" / "book.xls").string());
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot create file"), std::string::npos);
  }
}

TEST(XlsStream, OverwriteMoveAndRead) {
  for (auto storage : {XlsStream::Storage::Memory, XlsStream::Storage::TemporaryFile}) {
    XlsStream stream(storage);
    const std::vector<uint8_t> content = Pattern(600000);  // several chunks and file buffers
    stream.Write(content.data(), content.size());
    // Overwrite across a chunk boundary.
    const std::vector<uint8_t> patch(10, 0xAB);
    stream.Seek(262140);
    stream.Write(patch.data(), patch.size());
    EXPECT_EQ(stream.Size(), 600000u);
    std::vector<uint8_t> expected = content;
    std::copy(patch.begin(), patch.end(), expected.begin() + 262140);
    // A block appended at the end moves in front of byte 100; later writes land behind all.
    const std::vector<uint8_t> block = {1, 2, 3};
    stream.SeekToEnd();
    stream.Write(block.data(), block.size());
    stream.MoveTail(600000, 100);
    expected.insert(expected.begin() + 100, block.begin(), block.end());
    EXPECT_EQ(stream.Position(), stream.Size());
    const uint8_t tail[2] = {7, 8};
    stream.Write(tail, 2);
    expected.push_back(7);
    expected.push_back(8);
    // Overwrite across the moved pieces.
    stream.Seek(99);
    stream.Write(patch.data(), 5);
    std::copy(patch.begin(), patch.begin() + 5, expected.begin() + 99);
    EXPECT_EQ(stream.ToBytes(), expected);
    std::vector<uint8_t> chunks;
    stream.ForEachChunk([&](const uint8_t* p, size_t n) { chunks.insert(chunks.end(), p, p + n); });
    EXPECT_EQ(chunks, expected);
    uint8_t three[3];
    EXPECT_THROW(stream.Seek(stream.Size() + 1), std::out_of_range);
    EXPECT_THROW(stream.ReadAt(stream.Size() - 1, three, 3), std::out_of_range);
  }
}

}  // namespace
}  // namespace vorlix::exporter::xls
