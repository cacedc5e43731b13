#include "export/xls/compound_file.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/little_endian.h"

namespace vorlix::exporter::xls {

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kEntriesPerFatSector = kSectorSize / 4;                // 128
constexpr uint32_t kFatNumbersPerDifatSector = kEntriesPerFatSector - 1;  // 127 + next link
constexpr uint32_t kHeaderDifatEntries = 109;

constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kDifSect = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

uint32_t SectorsFor(uint64_t bytes, uint32_t sectorSize) {
  return static_cast<uint32_t>((bytes + sectorSize - 1) / sectorSize);
}

// Sector plan of the file: which sectors hold what.
struct Layout {
  uint32_t fatSectors = 0, difatSectors = 0;
  uint32_t firstFat = 0, firstDifat = 0, firstDirectory = 0, firstMiniFat = 0, firstData = 0;
  uint32_t miniFatSectors = 0;
  uint32_t dataSectors = 0;  // sectors of the Workbook stream or of the mini stream
  bool mini = false;
  uint64_t miniStreamSize = 0;
  uint32_t totalSectors = 0;
};

Layout PlanLayout(uint64_t streamSize) {
  Layout l;
  l.mini = streamSize < kMiniStreamCutoff;
  uint32_t miniSectors = 0;
  if (l.mini) {
    miniSectors = SectorsFor(streamSize, kMiniSectorSize);
    l.miniStreamSize = uint64_t{miniSectors} * kMiniSectorSize;
    l.dataSectors = SectorsFor(l.miniStreamSize, kSectorSize);
    l.miniFatSectors = miniSectors > 0 ? SectorsFor(uint64_t{miniSectors} * 4, kSectorSize) : 0;
  } else {
    l.dataSectors = SectorsFor(streamSize, kSectorSize);
  }
  const uint32_t directorySectors = 1;  // root entry, Workbook and two free entries
  const uint64_t others = uint64_t{directorySectors} + l.miniFatSectors + l.dataSectors;
  // The FAT must describe itself and the DIFAT sectors too.
  uint32_t fat = 1, difat = 0;
  for (;;) {
    difat = fat > kHeaderDifatEntries
                ? SectorsFor(uint64_t{fat - kHeaderDifatEntries}, kFatNumbersPerDifatSector)
                : 0;
    uint64_t needed = others + fat + difat;
    if (uint64_t{fat} * kEntriesPerFatSector >= needed) break;
    ++fat;
  }
  l.fatSectors = fat;
  l.difatSectors = difat;
  uint32_t next = 0;
  l.firstFat = next;
  next += fat;
  l.firstDifat = next;
  next += difat;
  l.firstDirectory = next;
  next += directorySectors;
  l.firstMiniFat = next;
  next += l.miniFatSectors;
  l.firstData = next;
  next += l.dataSectors;
  l.totalSectors = next;
  return l;
}

using Bytes = platform::ByteWriter<std::vector<uint8_t>>;

// One 128-byte directory entry: the name in UTF-16 with its terminator, padded to 64 bytes, its
// byte count, the type, black in the red-black tree, no siblings, the child, no class id, no
// state bits or times, then the first sector and the size.
void PutDirectoryEntry(Bytes& out, std::u16string_view name, uint8_t type, uint32_t child,
                       uint32_t start, uint64_t size) {
  for (char16_t c : name) out.U16(c);
  out.Zeros(64 - 2 * name.size());
  out.U16(static_cast<uint16_t>(2 * (name.size() + 1))).U8(type).U8(1);
  out.U32(kNoStream).U32(kNoStream).U32(child).Zeros(36);
  out.U32(start).U32(static_cast<uint32_t>(size)).U32(0);
}

void PutFreeDirectoryEntry(Bytes& out) {
  out.Zeros(68).U32(kNoStream).U32(kNoStream).U32(kNoStream).Zeros(48);
}

// Collects one sector's bytes at a time and hands each whole sector to out.
class SectorWriter {
 public:
  explicit SectorWriter(XlsByteSink& out) : out_(out), put_(sector_) {
    sector_.reserve(kSectorSize);
  }
  Bytes& Put() { return put_; }
  // Pads the sector with zeros, hands it on and starts the next one.
  void EndSector() {
    sector_.resize(kSectorSize);
    out_.Write(sector_.data(), sector_.size());
    sector_.clear();
  }

 private:
  XlsByteSink& out_;
  std::vector<uint8_t> sector_;
  Bytes put_;
};

// Header: signature, no class id, version 3.62, little-endian, 512-byte sectors and 64-byte mini
// sectors, then where the FAT, directory, mini FAT and DIFAT are, and the first 109 FAT sector
// numbers.
void WriteHeader(const Layout& l, SectorWriter& sectors) {
  static const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  Bytes& put = sectors.Put();
  put.Bytes(kSignature, sizeof kSignature).Zeros(16);
  put.U16(0x003E).U16(0x0003).U16(0xFFFE).U16(9).U16(6).Zeros(6);
  put.U32(0);  // directory sectors: always 0 in version 3
  put.U32(l.fatSectors).U32(l.firstDirectory).U32(0).U32(kMiniStreamCutoff);
  put.U32(l.miniFatSectors > 0 ? l.firstMiniFat : kEndOfChain).U32(l.miniFatSectors);
  put.U32(l.difatSectors > 0 ? l.firstDifat : kEndOfChain).U32(l.difatSectors);
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
    put.U32(i < l.fatSectors ? l.firstFat + i : kFreeSect);
  sectors.EndSector();
}

// The FAT: one entry per sector of the file, free entries at the end.
std::vector<uint32_t> PlanFat(const Layout& l) {
  std::vector<uint32_t> fat(uint64_t{l.fatSectors} * kEntriesPerFatSector, kFreeSect);
  for (uint32_t i = 0; i < l.fatSectors; ++i) fat[l.firstFat + i] = kFatSect;
  for (uint32_t i = 0; i < l.difatSectors; ++i) fat[l.firstDifat + i] = kDifSect;
  auto chain = [&](uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
      fat[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
  };
  chain(l.firstDirectory, 1);
  chain(l.firstMiniFat, l.miniFatSectors);
  chain(l.firstData, l.dataSectors);
  return fat;
}

// The FAT sectors, then the DIFAT sectors: the FAT sectors beyond the header's 109, 127 a
// sector, then the link to the next.
void WriteFat(const Layout& l, SectorWriter& sectors) {
  const std::vector<uint32_t> fat = PlanFat(l);
  Bytes& put = sectors.Put();
  for (uint32_t s = 0; s < l.fatSectors; ++s) {
    for (uint32_t i = 0; i < kEntriesPerFatSector; ++i)
      put.U32(fat[uint64_t{s} * kEntriesPerFatSector + i]);
    sectors.EndSector();
  }
  for (uint32_t s = 0; s < l.difatSectors; ++s) {
    for (uint32_t i = 0; i < kFatNumbersPerDifatSector; ++i) {
      uint64_t fatNumber = kHeaderDifatEntries + uint64_t{s} * kFatNumbersPerDifatSector + i;
      put.U32(fatNumber < l.fatSectors ? l.firstFat + static_cast<uint32_t>(fatNumber) : kFreeSect);
    }
    put.U32(s + 1 < l.difatSectors ? l.firstDifat + s + 1 : kEndOfChain);
    sectors.EndSector();
  }
}

// The directory: the root entry (owner of the mini stream) and the Workbook stream.
void WriteDirectory(const Layout& l, uint64_t streamSize, SectorWriter& sectors) {
  const bool empty = streamSize == 0;
  uint32_t rootStart = l.mini && !empty ? l.firstData : kEndOfChain;
  uint64_t rootSize = l.mini ? l.miniStreamSize : 0;
  uint32_t bookStart = empty ? kEndOfChain : (l.mini ? 0 : l.firstData);
  Bytes& put = sectors.Put();
  PutDirectoryEntry(put, u"Root Entry", 5, 1, rootStart, rootSize);
  PutDirectoryEntry(put, u"Workbook", 2, kNoStream, bookStart, streamSize);
  PutFreeDirectoryEntry(put);
  PutFreeDirectoryEntry(put);
  sectors.EndSector();
}

// The mini FAT: one chain over the Workbook's mini sectors.
void WriteMiniFat(const Layout& l, SectorWriter& sectors) {
  const uint32_t miniSectors = static_cast<uint32_t>(l.miniStreamSize / kMiniSectorSize);
  Bytes& put = sectors.Put();
  for (uint32_t s = 0; s < l.miniFatSectors; ++s) {
    for (uint32_t i = 0; i < kEntriesPerFatSector; ++i) {
      uint32_t m = s * kEntriesPerFatSector + i;
      put.U32(m < miniSectors ? (m + 1 < miniSectors ? m + 1 : kEndOfChain) : kFreeSect);
    }
    sectors.EndSector();
  }
}

// The stream's bytes, padded to whole sectors.
void WriteStreamSectors(const XlsStream& workbook, const Layout& l, XlsByteSink& out) {
  workbook.ForEachChunk([&](const uint8_t* p, size_t n) { out.Write(p, n); });
  uint64_t written = workbook.Size();
  const uint64_t padded = uint64_t{l.dataSectors} * kSectorSize;
  const std::vector<uint8_t> zeros(kSectorSize, 0);
  while (written < padded) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(padded - written, kSectorSize));
    out.Write(zeros.data(), n);
    written += n;
  }
}

}  // namespace

uint64_t CompoundFileSize(uint64_t streamSize) {
  return (1 + uint64_t{PlanLayout(streamSize).totalSectors}) * kSectorSize;  // header first
}

void WriteCompoundFile(const XlsStream& workbook, XlsByteSink& out) {
  const uint64_t streamSize = workbook.Size();
  if (streamSize > 0xFFFFFFFFull)
    throw std::runtime_error("The workbook is too large for a compound file of version 3");
  const Layout l = PlanLayout(streamSize);
  SectorWriter sectors(out);
  WriteHeader(l, sectors);
  WriteFat(l, sectors);
  WriteDirectory(l, streamSize, sectors);
  WriteMiniFat(l, sectors);
  WriteStreamSectors(workbook, l, out);
}

namespace {

// Hands the container's bytes to the buffered output file and tells how far it got.
class FileSink : public XlsByteSink {
 public:
  FileSink(MorvatFileStream& file, const FinishProgress& progress, uint64_t total)
      : file_(file), progress_(progress), total_(total) {}
  void Write(const void* data, size_t size) override {
    file_.Write(static_cast<const char*>(data), size);
    written_ += size;
    if (progress_) progress_(written_, total_);
  }

 private:
  MorvatFileStream& file_;
  const FinishProgress& progress_;
  uint64_t total_;
  uint64_t written_ = 0;
};

}  // namespace

CompoundFile::~CompoundFile() {
  Discard();
}

void CompoundFile::Open(const std::string& fileName) {
  if (file_ != nullptr) throw std::logic_error("The compound file is already open");
  file_ = std::make_unique<MorvatFileStream>(fileName);
  // The sheets' bytes wait in a temporary file, so a large workbook does not stay in memory.
  stream_ = XlsStream(XlsStream::Storage::TemporaryFile, fileName);
}

void CompoundFile::Close(const FinishProgress& progress) {
  if (file_ == nullptr) return;
  try {
    FileSink sink(*file_, progress, CompoundFileSize(stream_.Size()));
    WriteCompoundFile(stream_, sink);
    file_->Close(progress);
    warnings_ = file_->Warnings();
  } catch (...) {
    Discard();
    throw;
  }
  file_.reset();
  stream_ = XlsStream();
}

void CompoundFile::Discard() noexcept {
  if (file_ != nullptr) file_->Discard();
  file_.reset();
  stream_ = XlsStream();
}

}  // namespace vorlix::exporter::xls
