#pragma once
// A small tree that a test writes twice: as an LDIF file for the embedded client, and under a
// branch of its own of the test LDAP server's o=scratch for the LDAP client. The branch is
// removed again when the tree goes.

#include <string>

namespace vorlix::cli::testing {

class ScratchTree {
 public:
  // The branch is "ou=<name>-<process id>,o=scratch".
  explicit ScratchTree(const std::string& name);
  ~ScratchTree();
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  // The DN of the branch, for the entries' names.
  const std::string& Branch() const { return branch_; }
  // Writes the entries (LDIF records below the branch, without the branch itself) to both
  // places. The embedded file's tree name is ROUND_TRIP.
  void Write(const std::string& entries);
  // The sources to pass to --source: the LDIF file, and the server with the branch as its base.
  const std::string& File() const { return file_; }
  std::string ServerSource() const;
  // A path for the test's own files, beside the LDIF file.
  std::string TempPath(const std::string& name) const;

 private:
  std::string run_, branch_, file_, entries_;
  bool added_ = false;
};

// Bytes in base64, for LDIF values ("cn:: ...") that hold what a plain value may not.
std::string Base64(const std::string& bytes);

// A value escaped for an LDAP name (RFC 4514): every character with a meaning as \XX.
std::string DnValue(const std::string& value);

}  // namespace vorlix::cli::testing
