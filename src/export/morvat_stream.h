#pragma once
// Byte sinks an export run writes into: a buffered file, created exclusively, and memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::exporter {

class TMorvatStream {
 public:
  virtual ~TMorvatStream() = default;
  virtual void Write(const char* data, size_t size) = 0;
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Bytes written so far.
  virtual uint64_t Position() const = 0;
};

// Appends to a string.
class TMorvatMemoryStream : public TMorvatStream {
 public:
  void Write(const char* data, size_t size) override {
    if (size > 0) data_.append(data, size);
  }
  using TMorvatStream::Write;
  uint64_t Position() const override { return data_.size(); }
  const std::string& Data() const { return data_; }
  void Clear() { data_.clear(); }

 private:
  std::string data_;
};

// Opens the file for writing under an exclusive lock and empties it, only once the lock is held
// so that a file another writer holds is left intact; returns its descriptor. Raises
// EMorvatError "Cannot create file "<name>". <reason>" when it cannot be created.
int CreateLockedFile(const std::string& fileName);

// A file created for this run: an existing file of the name is replaced, and the file is held
// under an exclusive lock so that no other writer uses it at the same time. Writes are buffered.
class TMorvatFileStream : public TMorvatStream {
 public:
  // Raises EMorvatError "Cannot create file "<name>". <reason>" when it cannot be created.
  explicit TMorvatFileStream(const std::string& fileName);
  ~TMorvatFileStream() override;  // closes without raising
  TMorvatFileStream(const TMorvatFileStream&) = delete;
  TMorvatFileStream& operator=(const TMorvatFileStream&) = delete;

  void Write(const char* data, size_t size) override;
  using TMorvatStream::Write;
  uint64_t Position() const override { return position_; }
  // Writes the buffer out; raises on a write error.
  void Flush();
  // Flushes and closes; raises on a write error. Further writes are refused.
  void Close();
  const std::string& FileName() const { return fileName_; }

 private:
  void WriteOut(const char* data, size_t size);
  std::string fileName_;
  int fd_ = -1;
  uint64_t position_ = 0;
  std::vector<char> buffer_;
  size_t used_ = 0;
};

}  // namespace vorlix::exporter
