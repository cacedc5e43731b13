#pragma once
// The embedded client: a directory tree held in memory, loaded from an LDIF file by calStartup.
// It keeps the client contract (BufferedClient): 4096-byte buffers, replies that never hold more
// than their buffer (a long member list or a large search result comes in parts, carried by the
// iteration handle), -601 for a missing object, -603 when the object has none of the requested
// attributes. Object names are handed out and accepted as dotted names (typeless when the
// context's flag word has 0x4, typed otherwise); "[root]" is the whole tree.

#include <map>
#include <memory>
#include <string>

#include "directory/buffered_client.h"

namespace vorlix::directory {

class EmbeddedClient : public BufferedClient {
 public:
  // path: the LDIF file; overrides: program names mapped to LDAP names.
  explicit EmbeddedClient(std::string path, std::map<std::string, std::string> overrides = {});
  ~EmbeddedClient() override;

  int32_t calStartup(int32_t a, int32_t b) override;
  int32_t calShutdown(int32_t a) override;
  std::string StartupFailureReason() const override;
  std::string LocateValue(Context context, const std::string& object, const std::string& attribute,
                          const std::string& value) override;

 protected:
  // A value of the tree file that does not fit its attribute's syntax is the read's fault (-613,
  // with the file, line and value); the origin of an attribute is its place in the tree.
  int32_t ReadObject(const std::string& object, bool allAttributes,
                     const std::vector<std::string>& names, bool typed,
                     std::vector<ReadAttribute>& attributes) override;
  int32_t FindObjects(const std::string& base, int32_t scope, const SearchFilter& filter,
                      bool typed, std::vector<FoundObject>& found) override;
  std::string TooLargeDetail(uint32_t origin, size_t value, size_t replySize) const override;
  bool Started() const override;
  int32_t TreeName(std::string& name) override;
  const SchemaNames& Names() const override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vorlix::directory
