#pragma once
// The embedded client: a directory tree held in memory, loaded from an LDIF file by calStartup.
// It keeps the client contract: 4096-byte buffers, replies that never hold more than their
// buffer (a long member list or a large search result comes in parts, carried by the iteration
// handle), -601 for a missing object, -603 when the object has none of the requested attributes.
// Object names are handed out and accepted as dotted names (typeless when the context's flag word
// has 0x4, typed otherwise); "[root]" is the whole tree.

#include <map>
#include <memory>
#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory {

class MemoryTree;

class EmbeddedClient : public DirectoryClient {
 public:
  // path: the LDIF file; overrides: program names mapped to LDAP names.
  explicit EmbeddedClient(std::string path, std::map<std::string, std::string> overrides = {});
  ~EmbeddedClient() override;

  int32_t calStartup(int32_t a, int32_t b) override;
  int32_t calShutdown(int32_t a) override;
  int32_t clxStartup(int32_t a, int32_t b) override;
  int32_t clxShutdown(int32_t a) override;
  int32_t clxQueryCode(int32_t& code) override;
  int32_t clxOpenHandle(int32_t code, int32_t a, int32_t b, int32_t& handle) override;

  int32_t dsOpenContext(Context& context) override;
  int32_t dsCloseContext(Context context) override;
  int32_t dsContextGet(Context context, int32_t key, uint32_t& word) override;
  int32_t dsContextGet(Context context, int32_t key, std::string& text) override;
  int32_t dsContextSet(Context context, int32_t key, uint32_t word) override;

  int32_t dsBufferNew(int32_t size, Buffer& buffer) override;
  int32_t dsBufferDelete(Buffer buffer) override;
  int32_t dsBufferPrepare(Context context, int32_t operation, Buffer buffer) override;
  int32_t dsBufferAddName(Context context, Buffer buffer, const std::string& name) override;

  int32_t dsReadEntry(Context context, const std::string& object, int32_t infoType,
                      int32_t allAttributes, Buffer request, Iteration& iteration,
                      Buffer reply) override;
  int32_t dsEndIteration(Context context, Iteration iteration, int32_t operation) override;
  int32_t dsAttrCount(Context context, Buffer reply, int32_t& count) override;
  int32_t dsNextAttr(Context context, Buffer reply, std::string& name, int32_t& valueCount,
                     int32_t& syntax) override;
  int32_t dsValueSize(Context context, Buffer reply, int32_t syntax, int32_t& size) override;
  int32_t dsNextValue(Context context, Buffer reply, int32_t syntax, FetchedValue& place) override;

  int32_t dsFilterNew(FilterCursor& cursor) override;
  int32_t dsFilterToken(FilterCursor cursor, int32_t token, const std::optional<std::string>& value,
                        int32_t syntax) override;
  int32_t dsFilterFree(FilterCursor cursor) override;
  int32_t dsBufferAddFilter(Context context, Buffer filterBuffer, FilterCursor cursor,
                            int32_t a) override;

  int32_t dsSearchTree(Context context, const std::string& base, int32_t scope,
                       int32_t searchAliases, Buffer filter, int32_t infoType,
                       int32_t allAttributes, Buffer attributeList, Iteration& iteration,
                       int32_t timeLimit, int32_t countLimit, Buffer reply) override;
  int32_t dsObjectCount(Context context, Buffer reply, int32_t& count) override;
  int32_t dsNextObject(Context context, Buffer reply, std::string& name, int32_t& attributeCount,
                       ObjectInfo& info) override;

  std::string StartupFailureReason() const override;
  std::string LastFailureDetail() const override;
  std::string LocateValue(Context context, const std::string& object, const std::string& attribute,
                          const std::string& value) override;

  // Testing aids. With repeatAcrossParts, every search part after the first begins with the last
  // object of the part before, as a directory may deliver an object twice.
  void SetRepeatAcrossParts(bool on);
  size_t OpenBuffers() const;
  size_t OpenFilters() const;
  size_t OpenIterations() const;
  size_t RepliesFilled() const;  // reply parts written since start-up

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vorlix::directory
