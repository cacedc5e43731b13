#pragma once
// The LDAP client: the client interface over a directory server reached with libldap. calStartup
// connects and binds (ldap_connection.h), reads the root DSE (tree name, naming contexts) and the
// published schema (names and syntaxes, schema_names.h); reads and searches then go to the
// server and come back in 4096-byte parts like the embedded client's (buffered_client.h).
//
// Names: objects are named with dotted names as in the embedded client; the DNs behind them come
// from what the server has shown (ldap_names.h). A value that names an entry is shown as the entry
// spells its name. An empty name among the values of a name attribute is the placeholder of an
// empty group and is left out.
//
// Speed: a lookup announces its reads (dsReadAhead); the object is then read once for all its
// announced attributes, and the member entries and the entries they lead to are fetched ahead,
// container by container, in the way the server answers at the cost of what it returns, many
// requests in flight (entry_fetcher.h). Every operation ends by its deadline (timeout=).

#include <memory>
#include <string>

#include "directory/buffered_client.h"
#include "directory/directory_source.h"

namespace vorlix::directory {

class LdapClient : public BufferedClient {
 public:
  explicit LdapClient(DirectorySource source);
  ~LdapClient() override;

  int32_t calStartup(int32_t a, int32_t b) override;
  int32_t calShutdown(int32_t a) override;
  std::string StartupFailureReason() const override;

  void dsReadAhead(Context context, const ReadAheadPlan& plan) override;
  std::string LastFailureDetail() const override;
  std::vector<std::string> TakeNotices() override;

  // Testing aid: LDAP requests sent since start-up (single reads, searches and batches).
  size_t RequestsSent() const;

 protected:
  bool Started() const override;
  int32_t TreeName(std::string& name) override;
  const SchemaNames& Names() const override;
  int32_t ReadObject(const std::string& object, bool allAttributes,
                     const std::vector<std::string>& names, bool typed,
                     std::vector<ReadAttribute>& attributes) override;
  int32_t FindObjects(const std::string& base, int32_t scope, const SearchFilter& filter,
                      bool typed, std::vector<FoundObject>& found) override;
  void ContextClosed(Context context) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vorlix::directory
