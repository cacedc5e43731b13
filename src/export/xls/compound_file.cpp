#include "export/xls/compound_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "export/xls/biff_record.h"

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

// One 128-byte directory entry.
void PutDirectoryEntry(uint8_t* e, const char16_t* name, uint8_t type, uint32_t child,
                       uint32_t start, uint64_t size) {
  std::memset(e, 0, 128);
  size_t length = 0;
  while (name[length] != 0) {
    PutU16(e + 2 * length, static_cast<uint16_t>(name[length]));
    ++length;
  }
  PutU16(e + 64, static_cast<uint16_t>(2 * (length + 1)));
  e[66] = type;
  e[67] = 1;  // black
  PutU32(e + 68, kNoStream);
  PutU32(e + 72, kNoStream);
  PutU32(e + 76, child);
  PutU32(e + 116, start);
  PutU32(e + 120, static_cast<uint32_t>(size));
  PutU32(e + 124, 0);
}

void PutFreeDirectoryEntry(uint8_t* e) {
  std::memset(e, 0, 128);
  PutU32(e + 68, kNoStream);
  PutU32(e + 72, kNoStream);
  PutU32(e + 76, kNoStream);
}

}  // namespace

void WriteCompoundFile(const TxlsStream& workbook, TxlsByteSink& out) {
  const uint64_t streamSize = workbook.Size();
  if (streamSize > 0xFFFFFFFFull)
    throw std::runtime_error("The workbook is too large for a compound file of version 3");
  const Layout l = PlanLayout(streamSize);

  // FAT: one entry per sector of the file, free entries at the end.
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

  // Header.
  uint8_t header[kSectorSize];
  std::memset(header, 0, sizeof header);
  static const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header, kSignature, 8);
  PutU16(header + 24, 0x003E);  // minor version
  PutU16(header + 26, 0x0003);  // major version 3
  PutU16(header + 28, 0xFFFE);  // little-endian
  PutU16(header + 30, 9);       // 512-byte sectors
  PutU16(header + 32, 6);       // 64-byte mini sectors
  PutU32(header + 40, 0);       // directory sectors: always 0 in version 3
  PutU32(header + 44, l.fatSectors);
  PutU32(header + 48, l.firstDirectory);
  PutU32(header + 56, kMiniStreamCutoff);
  PutU32(header + 60, l.miniFatSectors > 0 ? l.firstMiniFat : kEndOfChain);
  PutU32(header + 64, l.miniFatSectors);
  PutU32(header + 68, l.difatSectors > 0 ? l.firstDifat : kEndOfChain);
  PutU32(header + 72, l.difatSectors);
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
    PutU32(header + 76 + 4 * i, i < l.fatSectors ? l.firstFat + i : kFreeSect);
  out.Write(header, sizeof header);

  uint8_t sector[kSectorSize];
  // FAT sectors.
  for (uint32_t s = 0; s < l.fatSectors; ++s) {
    for (uint32_t i = 0; i < kEntriesPerFatSector; ++i)
      PutU32(sector + 4 * i, fat[uint64_t{s} * kEntriesPerFatSector + i]);
    out.Write(sector, sizeof sector);
  }
  // DIFAT sectors: the FAT sectors beyond the header's 109, 127 a sector, then the link.
  for (uint32_t s = 0; s < l.difatSectors; ++s) {
    for (uint32_t i = 0; i < kFatNumbersPerDifatSector; ++i) {
      uint64_t fatNumber = kHeaderDifatEntries + uint64_t{s} * kFatNumbersPerDifatSector + i;
      PutU32(sector + 4 * i,
             fatNumber < l.fatSectors ? l.firstFat + static_cast<uint32_t>(fatNumber) : kFreeSect);
    }
    PutU32(sector + 4 * kFatNumbersPerDifatSector,
           s + 1 < l.difatSectors ? l.firstDifat + s + 1 : kEndOfChain);
    out.Write(sector, sizeof sector);
  }
  // Directory: the root entry (owner of the mini stream) and the Workbook stream.
  {
    const bool empty = streamSize == 0;
    uint32_t rootStart = l.mini && !empty ? l.firstData : kEndOfChain;
    uint64_t rootSize = l.mini ? l.miniStreamSize : 0;
    uint32_t bookStart = empty ? kEndOfChain : (l.mini ? 0 : l.firstData);
    PutDirectoryEntry(sector, u"Root Entry", 5, 1, rootStart, rootSize);
    PutDirectoryEntry(sector + 128, u"Workbook", 2, kNoStream, bookStart, streamSize);
    PutFreeDirectoryEntry(sector + 256);
    PutFreeDirectoryEntry(sector + 384);
    out.Write(sector, sizeof sector);
  }
  // Mini FAT: one chain over the Workbook's mini sectors.
  if (l.miniFatSectors > 0) {
    uint32_t miniSectors = static_cast<uint32_t>(l.miniStreamSize / kMiniSectorSize);
    for (uint32_t s = 0; s < l.miniFatSectors; ++s) {
      for (uint32_t i = 0; i < kEntriesPerFatSector; ++i) {
        uint32_t m = s * kEntriesPerFatSector + i;
        uint32_t value = m < miniSectors ? (m + 1 < miniSectors ? m + 1 : kEndOfChain) : kFreeSect;
        PutU32(sector + 4 * i, value);
      }
      out.Write(sector, sizeof sector);
    }
  }
  // The stream's bytes, padded to whole sectors.
  workbook.ForEachChunk([&](const uint8_t* p, size_t n) { out.Write(p, n); });
  uint64_t written = streamSize;
  uint64_t padded = uint64_t{l.dataSectors} * kSectorSize;
  std::memset(sector, 0, sizeof sector);
  while (written < padded) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(padded - written, kSectorSize));
    out.Write(sector, n);
    written += n;
  }
}

namespace {

// Hands the container's bytes to the buffered output file.
class FileSink : public TxlsByteSink {
 public:
  explicit FileSink(TMorvatFileStream& file) : file_(file) {}
  void Write(const void* data, size_t size) override {
    file_.Write(static_cast<const char*>(data), size);
  }

 private:
  TMorvatFileStream& file_;
};

}  // namespace

TCompoundFile::~TCompoundFile() {
  Discard();
}

void TCompoundFile::Open(const std::string& fileName) {
  if (file_ != nullptr) throw std::logic_error("The compound file is already open");
  file_ = std::make_unique<TMorvatFileStream>(fileName);
  // The sheets' bytes wait in a temporary file, so a large workbook does not stay in memory.
  stream_ = TxlsStream(TxlsStream::Storage::TemporaryFile, fileName);
}

void TCompoundFile::Close() {
  if (file_ == nullptr) return;
  try {
    FileSink sink(*file_);
    WriteCompoundFile(stream_, sink);
    file_->Close();
  } catch (...) {
    Discard();
    throw;
  }
  file_.reset();
  stream_ = TxlsStream();
}

void TCompoundFile::Discard() noexcept {
  if (file_ != nullptr) file_->Discard();
  file_.reset();
  stream_ = TxlsStream();
}

}  // namespace vorlix::exporter::xls
