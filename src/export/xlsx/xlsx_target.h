#pragma once
// The file a workbook is written to. The library writes the whole file only when the workbook
// is closed, so the workbook goes to a temporary file in the target's folder that takes the
// target's place only when the run succeeds; otherwise it is removed and an existing target
// keeps every byte. A target that another program holds locked is refused untouched, and the
// run holds the lock on an existing target itself until it is replaced.

#include <string>

namespace vorlix::exporter::xlsx {

class TXlsxTarget {
 public:
  // Raises EMorvatError "Cannot create file "<name>". <reason>" when the target cannot be
  // written; the reason for a locked target says it is in use by another program.
  explicit TXlsxTarget(const std::string& fileName);
  // Removes the temporary file unless Commit succeeded.
  ~TXlsxTarget();
  TXlsxTarget(const TXlsxTarget&) = delete;
  TXlsxTarget& operator=(const TXlsxTarget&) = delete;

  // Where the workbook is to be written.
  const std::string& TemporaryName() const { return temporary_; }
  // Makes the written file durable and puts it in place of the target. Raises EMorvatError
  // naming the file and the reason; the temporary file is removed then.
  void Commit();

 private:
  void Discard() noexcept;

  std::string fileName_;
  std::string target_;  // the file that is replaced (a symbolic link's target)
  std::string temporary_;
  int temporaryFd_ = -1;
  int targetFd_ = -1;  // the existing target, held locked
  bool committed_ = false;
};

}  // namespace vorlix::exporter::xlsx
