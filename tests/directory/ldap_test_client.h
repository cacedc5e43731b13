#pragma once
// The LDAP client as the tests start it, what its calls raise, and the sockets of the tests'
// stand-in servers.

#include <functional>
#include <string>
#include <utility>

#include "../support/loopback.h"
#include "directory/directory_layer.h"
#include "directory/ldap_client.h"

namespace vorlix::directory {

// A source for url; with timeoutSeconds, what each operation may take.
inline DirectorySource Source(const std::string& url, int timeoutSeconds = 0) {
  DirectorySource source;
  source.source = url;
  if (timeoutSeconds > 0) source.timeoutSeconds = timeoutSeconds;
  return source;
}

// A started client with an open typeless context.
struct Opened {
  explicit Opened(DirectorySource source) : client(std::move(source)) {
    started = client.calStartup(0, 0) == kOk;
    if (started) context = OpenDirectoryContext(client, kPlainContext).context;
  }
  explicit Opened(const std::string& url) : Opened(Source(url)) {}
  ~Opened() {
    if (context != kNoContext) client.dsCloseContext(context);
    client.calShutdown(0);
  }
  LdapClient client;
  bool started = false;
  Context context = kNoContext;
};

using vorlix::testing::ListenOnLoopback;

// The error a call raised (code 0: none).
struct Outcome {
  int32_t code = 0;
  std::string message;
};

inline Outcome ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const DirectoryError& e) {
    return {e.code(), e.what()};
  }
  return {};
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace vorlix::directory
