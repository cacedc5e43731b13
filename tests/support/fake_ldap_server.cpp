#include "support/fake_ldap_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <deque>

#include "support/loopback.h"

namespace vorlix::testing {

using namespace ldap_messages;

namespace {

bool SendAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

struct FakeLdapServer::Connection {
  int fd = -1;
  std::string input;
  std::deque<std::string> waiting;  // requests read while a search was being answered
  std::vector<int> abandoned;
  bool gone = false;
  std::thread thread;

  // Reads what the client sent; waits for it when `wait`. False once the client has gone.
  bool Read(bool wait) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, wait ? -1 : 0) <= 0) return !wait;
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) {
      gone = true;
      return false;
    }
    input.append(buffer, static_cast<size_t>(n));
    return true;
  }
  // The next whole message from input, if there is one.
  std::optional<std::string> Take() {
    const auto length = MessageLength(input);
    if (!length || *length > input.size()) return std::nullopt;
    std::string message = input.substr(0, *length);
    input.erase(0, *length);
    return message;
  }
  // Takes what came meanwhile: abandon requests at once, others for later.
  void Look() {
    if (gone || !Read(false)) return;
    while (std::optional<std::string> message = Take()) {
      LdapRequest request;
      if (DecodeRequest(*message, request) && request.operation == kAbandonRequest) {
        abandoned.push_back(request.abandoned);
      } else {
        waiting.push_back(std::move(*message));
      }
    }
  }
};

bool LdapAnswer::Bytes(const std::string& bytes) {
  return !abandoned_() && SendAll(fd_, bytes);
}

bool LdapAnswer::Raw(const std::string& operation, const std::string& controls) {
  return Bytes(Message(request_.messageId, operation, controls));
}

bool LdapAnswer::Entry(const std::string& dn, const Attributes& attributes) {
  return Raw(EntryOp(dn, attributes));
}

bool LdapAnswer::Done(int resultCode, const std::string& diagnostic,
                      const std::optional<std::string>& cookie) {
  return Raw(DoneOp(kSearchDone, resultCode, diagnostic), cookie ? PagedControls(*cookie) : "");
}

FakeLdapServer::FakeLdapServer(Handler handler) : handler_(std::move(handler)) {
  listen_ = ListenOnLoopback(port_);
  [[maybe_unused]] const int piped = pipe(wake_);
  acceptor_ = std::thread([this] { Accept(); });
}

FakeLdapServer::~FakeLdapServer() {
  stop_ = true;
  [[maybe_unused]] const ssize_t n = write(wake_[1], "x", 1);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    released_.notify_all();
    for (const auto& connection : served_) shutdown(connection->fd, SHUT_RDWR);
  }
  acceptor_.join();
  for (const auto& connection : served_) {
    connection->thread.join();
    close(connection->fd);
  }
  close(listen_);
  close(wake_[0]);
  close(wake_[1]);
}

std::string FakeLdapServer::Url(const std::string& base) const {
  return "ldap://127.0.0.1:" + std::to_string(port_) + (base.empty() ? "" : "/" + base);
}

std::vector<LdapRequest> FakeLdapServer::Searches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return searches_;
}

void FakeLdapServer::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  release_ = true;
  released_.notify_all();
}

bool FakeLdapServer::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  released_.wait(lock, [this] { return release_ || stop_; });
  return !stop_;
}

void FakeLdapServer::Accept() {
  while (!stop_) {
    pollfd watched[] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(watched, 2, -1) <= 0 || watched[1].revents != 0) continue;
    const int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    // Each message goes out at once, not held back for the acknowledgement of the one before.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_) {
      close(fd);
      break;
    }
    ++connections_;
    auto& connection = served_.emplace_back(std::make_unique<Connection>());
    connection->fd = fd;
    Connection* served = connection.get();
    connection->thread = std::thread([this, served] { Serve(*served); });
  }
}

void FakeLdapServer::Serve(Connection& connection) {
  while (!stop_) {
    std::optional<std::string> message;
    if (!connection.waiting.empty()) {
      message = std::move(connection.waiting.front());
      connection.waiting.pop_front();
    } else if (!(message = connection.Take())) {
      if (!connection.Read(true)) return;
      continue;
    }
    LdapRequest request;
    if (!DecodeRequest(*message, request)) return;
    switch (request.operation) {
      case kBindRequest:
        if (!SendAll(connection.fd, Message(request.messageId, DoneOp(kBindResponse, 0, "")))) {
          return;
        }
        break;
      case kSearchRequest: {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          searches_.push_back(request);
        }
        LdapAnswer answer(connection.fd, request, [&connection, &request] {
          connection.Look();
          return connection.gone ||
                 std::find(connection.abandoned.begin(), connection.abandoned.end(),
                           request.messageId) != connection.abandoned.end();
        });
        handler_(answer);
        if (answer.closing()) {
          shutdown(connection.fd, SHUT_RDWR);
          return;
        }
        break;
      }
      case kUnbindRequest:
        return;
      default:
        break;  // abandon requests after the answer was complete
    }
  }
}

}  // namespace vorlix::testing
