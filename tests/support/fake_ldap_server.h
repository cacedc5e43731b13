#pragma once
// A stand-in LDAP server on 127.0.0.1 for the tests and the fuzz targets. It answers binds itself
// and hands every search to the test's handler, which answers message by message as the server
// under test would, however wrongly: the same cookie again, entries without end, a broken entry,
// an answer that comes only when the test says so. Each connection is served on its own thread.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ldap_messages.h"

namespace vorlix::testing {

using LdapRequest = ldap_messages::Request;

// The answer to one search, written as it is made.
class LdapAnswer {
 public:
  LdapAnswer(int fd, const LdapRequest& request, std::function<bool()> abandoned)
      : fd_(fd), request_(request), abandoned_(std::move(abandoned)) {}

  const LdapRequest& request() const { return request_; }
  // Each returns false once the client has closed the connection or abandoned the search.
  bool Entry(const std::string& dn, const ldap_messages::Attributes& attributes);
  // The result that ends the search; with a cookie, a page of a paged search.
  bool Done(int resultCode = 0, const std::string& diagnostic = "",
            const std::optional<std::string>& cookie = std::nullopt);
  // A message of this request's id around a protocol operation and controls as given.
  bool Raw(const std::string& operation, const std::string& controls = "");
  // Bytes as they are.
  bool Bytes(const std::string& bytes);
  // Ends the connection once the handler returns.
  void Close() { close_ = true; }
  bool closing() const { return close_; }

 private:
  int fd_;
  const LdapRequest& request_;
  std::function<bool()> abandoned_;
  bool close_ = false;
};

class FakeLdapServer {
 public:
  using Handler = std::function<void(LdapAnswer& answer)>;
  explicit FakeLdapServer(Handler handler);
  ~FakeLdapServer();
  FakeLdapServer(const FakeLdapServer&) = delete;
  FakeLdapServer& operator=(const FakeLdapServer&) = delete;

  int port() const { return port_; }
  // ldap://127.0.0.1:port/base
  std::string Url(const std::string& base = "") const;
  // The searches received so far, and the connections made.
  std::vector<LdapRequest> Searches() const;
  int Connections() const { return connections_; }

  // Makes the handler's Wait() return; until then a handler that waits answers nothing.
  void Release();
  // For a handler: blocks until Release() (or the server stops); false when it stopped.
  bool Wait();

 private:
  struct Connection;
  void Accept();
  void Serve(Connection& connection);

  Handler handler_;
  int port_ = 0;
  int listen_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<bool> stop_ = false;
  std::atomic<int> connections_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::vector<LdapRequest> searches_;
  std::vector<std::unique_ptr<Connection>> served_;
  std::thread acceptor_;
};

}  // namespace vorlix::testing
