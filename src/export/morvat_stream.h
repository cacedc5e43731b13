#pragma once
// Byte sinks an export run writes into: a buffered output file and memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/output_file.h"

namespace vorlix::exporter {

// How far the work after the last row got (assembling, compressing and saving the file): `done` of
// `total`, total 0 when that is unknown. It may raise EMorvatStopped to stop the work there.
using FinishProgress = std::function<void(uint64_t done, uint64_t total)>;

class MorvatStream {
 public:
  virtual ~MorvatStream() = default;
  virtual void Write(const char* data, size_t size) = 0;
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Bytes written so far.
  virtual uint64_t Position() const = 0;
};

// Appends to a string.
class MorvatMemoryStream : public MorvatStream {
 public:
  void Write(const char* data, size_t size) override {
    if (size > 0) data_.append(data, size);
  }
  using MorvatStream::Write;
  uint64_t Position() const override { return data_.size(); }
  const std::string& Data() const { return data_; }
  void Clear() { data_.clear(); }

 private:
  std::string data_;
};

// The output file of a run (platform/output_file.h): the bytes go to a temporary file that takes
// the target's place only when Close succeeds; a stream that is dropped without Close, or
// discarded, leaves an existing target as it was. Writes are buffered.
class MorvatFileStream : public MorvatStream {
 public:
  // Raises EMorvatError "Cannot create file "<name>". <reason>" when it cannot be created.
  explicit MorvatFileStream(const std::string& fileName);
  ~MorvatFileStream() override;  // discards unless closed; never raises
  MorvatFileStream(const MorvatFileStream&) = delete;
  MorvatFileStream& operator=(const MorvatFileStream&) = delete;

  // Raises EMorvatError naming the file, the temporary file and the reason on a write error.
  void Write(const char* data, size_t size) override;
  using MorvatStream::Write;
  uint64_t Position() const override { return position_; }
  // Writes the buffer out; raises on a write error.
  void Flush();
  // Flushes, makes the bytes durable, reports progress (done) as the last moment to stop, and
  // puts the file in place of the target; raises when any write failed or progress raised, the
  // file is then discarded. Further writes are refused.
  void Close(const FinishProgress& progress = {});
  // Drops what was written; the target stays as it was. Further writes are refused.
  void Discard() noexcept;
  const std::string& FileName() const { return output_.FileName(); }
  bool IsStream() const { return output_.IsStream(); }
  // What the replaced file carried and the new one could not keep, one sentence each.
  const std::vector<std::string>& Warnings() const { return output_.Warnings(); }

 private:
  void WriteOut(const char* data, size_t size);
  platform::OutputFile output_;
  bool open_ = true;
  bool failed_ = false;  // a write failed: the file is incomplete whatever follows
  uint64_t position_ = 0;
  std::vector<char> buffer_;
  size_t used_ = 0;
};

}  // namespace vorlix::exporter
