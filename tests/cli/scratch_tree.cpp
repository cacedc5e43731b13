#include "scratch_tree.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string_view>

#include "../directory/ldap_test_servers.h"
#include "cli_runner.h"

namespace vorlix::cli::testing {

using vorlix::testing::TestServers;

namespace {

// The words that bind as the scratch suffix's administrator.
std::string AdminWords() {
  const auto servers = TestServers();
  return " -x -H " + ShellQuoted(servers.ldapUrl) + " -D cn=admin,o=scratch -w " +
         ShellQuoted(servers.adminPassword);
}

}  // namespace

ScratchTree::ScratchTree(const std::string& name)
    : run_(name + "-" + std::to_string(::getpid())),
      branch_("ou=" + run_ + ",o=scratch"),
      file_(TempPath("tree.ldif")),
      entries_(TempPath("entries.ldif")) {}

ScratchTree::~ScratchTree() {
  if (added_) Shell("ldapdelete -r" + AdminWords() + " " + ShellQuoted(branch_) + " >/dev/null");
  std::remove(file_.c_str());
  std::remove(entries_.c_str());
}

std::string ScratchTree::TempPath(const std::string& name) const {
  return ::testing::TempDir() + "/" + run_ + "-" + name;
}

void ScratchTree::Write(const std::string& entries) {
  const std::string branch =
      "dn: " + branch_ + "\nobjectClass: organizationalUnit\nou: " + run_ + "\n\n" + entries;
  std::ofstream(entries_) << branch;
  std::ofstream(file_) << "dn:\ndirectoryTreeName: ROUND_TRIP\n\n"
                       << "dn: o=scratch\nobjectClass: organization\no: scratch\n\n"
                       << branch;
}

std::string ScratchTree::ServerSource() const {
  if (!added_) {
    EXPECT_EQ(Shell("ldapadd" + AdminWords() + " -f " + ShellQuoted(entries_) + " >/dev/null"), 0);
    const_cast<ScratchTree*>(this)->added_ = true;
  }
  return TestServers().ldapUrl + "/" + branch_;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size())
      n |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

std::string DnValue(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : value) {
    const auto u = static_cast<unsigned char>(c);
    if (std::string_view(",+\"\\<>;=# ").find(c) != std::string_view::npos) {
      out += {'\\', kHex[u >> 4], kHex[u & 0xF]};
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace vorlix::cli::testing
