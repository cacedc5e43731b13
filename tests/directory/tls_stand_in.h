#pragma once
// A TLS server on 127.0.0.1 that shows a given certificate in every handshake and then hangs up:
// stands in for a directory server whose certificate is not the right one.

#include <gnutls/gnutls.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "ldap_test_client.h"

namespace vorlix::directory::testing {

class TlsStandIn {
 public:
  TlsStandIn(const std::string& certificateFile, const std::string& keyFile)
      : listen_(ListenOnLoopback(port_)) {
    gnutls_certificate_allocate_credentials(&credentials_);
    EXPECT_EQ(gnutls_certificate_set_x509_key_file(credentials_, certificateFile.c_str(),
                                                   keyFile.c_str(), GNUTLS_X509_FMT_PEM),
              0)
        << certificateFile;
    if (pipe(wake_) != 0) ADD_FAILURE() << "no pipe";
    thread_ = std::thread([this] { Run(); });
  }
  ~TlsStandIn() {
    stop_ = true;
    [[maybe_unused]] ssize_t n = write(wake_[1], "x", 1);
    thread_.join();
    close(listen_);
    close(wake_[0]);
    close(wake_[1]);
    gnutls_certificate_free_credentials(credentials_);
  }
  TlsStandIn(const TlsStandIn&) = delete;
  TlsStandIn& operator=(const TlsStandIn&) = delete;

  std::string url() const { return "ldaps://127.0.0.1:" + std::to_string(port_); }

 private:
  void Run() {
    while (!stop_) {
      pollfd watched[] = {{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
      if (poll(watched, 2, -1) <= 0 || watched[1].revents == 0) continue;
      const int client = accept(listen_, nullptr, nullptr);
      if (client < 0) continue;
      gnutls_session_t session = nullptr;
      gnutls_init(&session, GNUTLS_SERVER);
      gnutls_set_default_priority(session);
      gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials_);
      gnutls_transport_set_int(session, client);
      gnutls_handshake_set_timeout(session, 5000);
      int r = 0;
      do {
        r = gnutls_handshake(session);
      } while (r < 0 && gnutls_error_is_fatal(r) == 0);
      gnutls_deinit(session);
      close(client);
    }
  }

  int port_ = 0;
  int listen_;
  int wake_[2] = {-1, -1};
  gnutls_certificate_credentials_t credentials_ = nullptr;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

}  // namespace vorlix::directory::testing
