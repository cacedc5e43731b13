#include "scripted_ldap_server.h"

#include <gtest/gtest.h>
#include <lber.h>
#include <ldap.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "ldap_test_client.h"

namespace vorlix::directory::testing {

namespace {

struct BerDeleter {
  void operator()(BerElement* ber) const { ber_free(ber, 1); }
};
using Ber = std::unique_ptr<BerElement, BerDeleter>;

// The bytes of an encoded message.
std::string Flatten(BerElement* ber) {
  berval* flat = nullptr;
  if (ber_flatten(ber, &flat) != 0) return {};
  std::string bytes(flat->bv_val, flat->bv_len);
  ber_bvfree(flat);
  return bytes;
}

std::string Result(ber_int_t id, ber_tag_t type, int code) {
  Ber ber(ber_alloc_t(LBER_USE_DER));
  ber_printf(ber.get(), "{it{ess}}", id, type, code, "", "");
  return Flatten(ber.get());
}

std::string Entry(ber_int_t id, const ScriptedEntry& entry) {
  Ber ber(ber_alloc_t(LBER_USE_DER));
  ber_printf(ber.get(), "{it{s{", id, static_cast<ber_tag_t>(LDAP_RES_SEARCH_ENTRY),
             entry.dn.c_str());
  for (const auto& [name, values] : entry.attributes) {
    ber_printf(ber.get(), "{s[", name.c_str());
    for (const std::string& value : values) {
      ber_printf(ber.get(), "o", value.data(), static_cast<ber_len_t>(value.size()));
    }
    ber_printf(ber.get(), "]}");
  }
  ber_printf(ber.get(), "}}}");
  return Flatten(ber.get());
}

// The size of the whole request at the start of bytes; 0 while it has not all come.
size_t WholeRequest(const std::string& bytes) {
  if (bytes.size() < 2) return 0;
  size_t length = static_cast<unsigned char>(bytes[1]);
  size_t header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7f;
    if (bytes.size() < 2 + count) return 0;
    length = 0;
    for (size_t i = 0; i < count; ++i)
      length = length << 8 | static_cast<unsigned char>(bytes[2 + i]);
    header += count;
  }
  return bytes.size() >= header + length ? header + length : 0;
}

}  // namespace

ScriptedLdapServer::ScriptedLdapServer(Handler handler)
    : handler_(std::move(handler)), listen_(ListenOnLoopback(port_)) {
  if (pipe(wake_) != 0) ADD_FAILURE() << "no pipe";
  thread_ = std::thread([this] { Run(); });
}

ScriptedLdapServer::~ScriptedLdapServer() {
  stop_ = true;
  [[maybe_unused]] ssize_t n = write(wake_[1], "x", 1);
  thread_.join();
  for (const auto& [fd, pending] : clients_) close(fd);
  close(listen_);
  close(wake_[0]);
  close(wake_[1]);
}

std::vector<ScriptedSearch> ScriptedLdapServer::Searches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return searches_;
}

void ScriptedLdapServer::Run() {
  char buffer[65536];
  while (!stop_) {
    std::vector<pollfd> watched{{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
    for (const auto& [fd, pending] : clients_) watched.push_back({fd, POLLIN, 0});
    if (poll(watched.data(), watched.size(), -1) <= 0) continue;
    if (watched[1].revents != 0) {
      const int client = accept(listen_, nullptr, nullptr);
      if (client >= 0) clients_[client] = {};
    }
    for (size_t i = 2; i < watched.size(); ++i) {
      if (watched[i].revents == 0) continue;
      const int fd = watched[i].fd;
      const ssize_t n = read(fd, buffer, sizeof buffer);
      std::string& pending = clients_[fd];
      if (n > 0) pending.append(buffer, static_cast<size_t>(n));
      if (n <= 0 || !Answer(fd, pending)) {
        close(fd);
        clients_.erase(fd);
      }
    }
  }
}

bool ScriptedLdapServer::Answer(int fd, std::string& pending) {
  for (size_t size; (size = WholeRequest(pending)) != 0; pending.erase(0, size)) {
    berval bytes{static_cast<ber_len_t>(size), pending.data()};
    Ber ber(ber_init(&bytes));
    ber_int_t id = 0;
    ber_len_t length = 0;
    if (ber_scanf(ber.get(), "{i", &id) == LBER_ERROR) return false;
    switch (ber_peek_tag(ber.get(), &length)) {
      case LDAP_REQ_BIND:
        Send(fd, Result(id, LDAP_RES_BIND, LDAP_SUCCESS));
        break;
      case LDAP_REQ_SEARCH: {
        berval base{0, nullptr};
        ber_int_t scope = 0, deref = 0, sizeLimit = 0, timeLimit = 0, typesOnly = 0;
        BerVarray attributes = nullptr;
        if (ber_scanf(ber.get(), "{meeiibxW", &base, &scope, &deref, &sizeLimit, &timeLimit,
                      &typesOnly, &attributes) == LBER_ERROR) {
          return false;
        }
        ScriptedSearch search{std::string(base.bv_val, base.bv_len), scope, {}};
        for (BerVarray a = attributes; a != nullptr && a->bv_val != nullptr; ++a) {
          search.attributes.emplace_back(a->bv_val, a->bv_len);
        }
        ber_bvarray_free(attributes);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          searches_.push_back(search);
        }
        const ScriptedAnswer answer = handler_(search);
        for (const ScriptedEntry& entry : answer.entries) Send(fd, Entry(id, entry));
        Send(fd, Result(id, LDAP_RES_SEARCH_RESULT, answer.resultCode));
        break;
      }
      case LDAP_REQ_UNBIND:
        return false;
      default:  // abandon: nothing to answer
        break;
    }
  }
  return true;
}

void ScriptedLdapServer::Send(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace vorlix::directory::testing
