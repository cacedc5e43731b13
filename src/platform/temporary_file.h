#pragma once
// Files of the system's temporary folder that hold data for a while and never outlive it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/signal_cleanup.h"

namespace vorlix::platform {

// An unnamed file that the system removes when it is closed, for data too large to keep in
// memory. Failures raise std::system_error with the error number (EIO for a transfer that
// makes no progress).
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  void WriteAt(uint64_t position, const void* data, size_t size);
  void ReadAt(uint64_t position, void* data, size_t size) const;

  // The folder the files are made in, for messages.
  static std::string Folder();

 private:
  std::FILE* file_;
  int fd_;
};

// A new empty file named in the temporary folder ("<prefix>XXXXXX<suffix>"), removed when this
// goes or when a signal ends the program. Creating it raises std::system_error.
class NamedTemporaryFile {
 public:
  NamedTemporaryFile(const std::string& prefix, const std::string& suffix);
  ~NamedTemporaryFile();
  NamedTemporaryFile(const NamedTemporaryFile&) = delete;
  NamedTemporaryFile& operator=(const NamedTemporaryFile&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::optional<RemoveOnSignal> cleanup_;
};

// The bytes a C stream's file holds with what the stream still buffers (0 when that cannot be
// told): how far a library that writes its data into a temporary file has got.
uint64_t StreamFileSize(std::FILE* file);

}  // namespace vorlix::platform
