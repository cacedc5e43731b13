#pragma once
// A small LDAP server on 127.0.0.1 for tests that need answers the test servers do not give: it
// takes every bind and answers each search with what the test's handler returns (the filter is
// not looked at). It records the searches it was sent.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vorlix::directory::testing {

struct ScriptedSearch {
  std::string base;
  int scope = 0;
  std::vector<std::string> attributes;
};

struct ScriptedEntry {
  std::string dn;
  // Attribute descriptions as sent ("member;range=0-1499") with their values.
  std::vector<std::pair<std::string, std::vector<std::string>>> attributes;
};

struct ScriptedAnswer {
  std::vector<ScriptedEntry> entries;
  int resultCode = 0;
};

class ScriptedLdapServer {
 public:
  using Handler = std::function<ScriptedAnswer(const ScriptedSearch&)>;

  explicit ScriptedLdapServer(Handler handler);
  ~ScriptedLdapServer();
  ScriptedLdapServer(const ScriptedLdapServer&) = delete;
  ScriptedLdapServer& operator=(const ScriptedLdapServer&) = delete;

  std::string url() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
  std::vector<ScriptedSearch> Searches() const;

 private:
  void Run();
  // Answers every whole request in a connection's buffer; false when the connection ends.
  bool Answer(int fd, std::string& pending);
  void Send(int fd, const std::string& bytes);

  Handler handler_;
  int port_ = 0;
  int listen_ = -1;
  int wake_[2] = {-1, -1};
  std::map<int, std::string> clients_;  // socket -> bytes not yet a whole request
  mutable std::mutex mutex_;
  std::vector<ScriptedSearch> searches_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

}  // namespace vorlix::directory::testing
