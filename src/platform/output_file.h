#pragma once
// Where the bytes of an export go. An export never writes into its target while it runs:
// - A regular file, or a name that does not exist yet, is written into a temporary file in the
//   target's folder (".<name>.<random>.tmp"). Only a run that succeeds replaces the target with
//   it (flush, fsync, rename, fsync of the folder); a failure, an abort or a signal removes it,
//   and an existing target keeps every byte. The temporary name is shortened to fit the file
//   system's name length, so that every name the file system takes can be written. A symbolic
//   link stays and its target is replaced; the replaced file keeps its owner, group, permission
//   bits, access control list and extended attributes (platform/file_metadata.h), and what it
//   cannot keep is told in Warnings.
// - A target that another program holds locked, with flock(2) or with a POSIX record lock
//   (fcntl(2), lockf(3)), is refused untouched; the run holds both kinds on the existing target
//   itself until it is replaced.
// - A target that is not a regular file is written as a stream, straight through and never
//   truncated: a pipe, a terminal, /dev/null, and the program's own open descriptors named
//   /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N (written through that descriptor,
//   so a shell's redirection keeps its meaning; one that was not open when the program started
//   is refused, platform/standard_streams.h). What a failed run wrote to a stream stays there.
//   A pipe whose reader has gone is a write error, or ends the program (platform/signal_cleanup.h).
//   A folder, a block device and any other kind of file are refused.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/signal_cleanup.h"

namespace vorlix::platform {

// A failure of an output file; what() is the message for the user.
class OutputFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputFile {
 public:
  // Raises OutputFileError "Cannot create file "<name>". <reason>" when the target cannot be
  // written; the reason for a locked target says it is in use by another program.
  explicit OutputFile(const std::string& fileName);
  // Discards what was written unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes all of data to the temporary file or the stream. Raises OutputFileError
  // "<WriteErrorPrefix>: <reason>".
  void Write(const char* data, size_t size);
  bool IsStream() const { return stream_; }
  // The name the caller gave.
  const std::string& FileName() const { return fileName_; }
  // The temporary file's path; empty for a stream.
  const std::string& TemporaryName() const { return temporary_; }
  // What the file it replaces carried and the new file could not keep, one sentence each.
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // "Error writing output file "<name>"", with the temporary file named when there is one.
  std::string WriteErrorPrefix() const;

  // Makes the written bytes durable (fsync), ahead of Commit, which then has only the rename
  // left. Raises OutputFileError naming the file and the reason; nothing for a stream.
  void Sync();
  // Makes the written bytes durable and puts them in place of the target (for a stream: closes
  // it). Raises OutputFileError naming the file and the reason; the temporary file is removed
  // then.
  void Commit();
  // Removes the temporary file and releases the target, which stays as it was. Never raises.
  void Discard() noexcept;

 private:
  void OpenStream(const std::string& path, std::optional<int> descriptor);
  // Creates the temporary file; one that replaces a file starts readable by its owner only.
  void CreateTemporary(const std::string& folder, const std::string& base, bool replacing);
  void CloseTarget() noexcept;
  // Discards the file and raises OutputFileError "<prefix>: <what><reason of error>".
  [[noreturn]] void Fail(const std::string& what, int error);

  std::string fileName_;
  std::string target_;     // the regular file that is replaced (links resolved)
  std::string temporary_;  // empty for a stream
  int fd_ = -1;
  int targetFd_ = -1;  // the existing target, held under both lock kinds
  bool stream_ = false;
  bool done_ = false;
  bool synced_ = false;  // nothing written since the last fsync
  std::vector<std::string> warnings_;
  std::optional<RemoveOnSignal> cleanup_;  // the temporary file, while it exists
};

// ".<name>.<suffix>.tmp" in a folder whose names take at most nameMax bytes: a name too long for
// it has its stem shortened (never in the middle of a UTF-8 character), not its suffix.
std::string TemporaryFileName(const std::string& name, const std::string& suffix, long nameMax);

// For a name that stands for one of this process's open descriptors (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N), the descriptor's number.
std::optional<int> ProcessDescriptorName(const std::string& fileName);

}  // namespace vorlix::platform
