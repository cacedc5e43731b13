#pragma once
// The directory client interface: the client operations the directory layer runs over, with
// their names, arguments and result codes (signed 32-bit, 0 for success; client_codes.h lists
// the codes, keys, operations, tokens and syntaxes). Implementations: the embedded client over
// an LDIF file (embedded_client.h) and an LDAP client over a directory server (ldap_client.h).
//
// Contract every client keeps: request and reply buffers of 4096 bytes; a reply never holds more
// than its buffer, and the iteration handle carries a read or a search across as many parts as
// needed (-1 when no part is left); dsReadEntry answers -601 for a missing object and -603 when
// the object has none of the requested attributes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "directory/client_codes.h"
#include "directory/fetched_value.h"

namespace vorlix::directory {

using Context = int32_t;
inline constexpr Context kNoContext = -1;

using Buffer = int32_t;        // a request or reply buffer made by dsBufferNew
using FilterCursor = int32_t;  // a filter being built, made by dsFilterNew

// What dsNextObject reports beside the name.
struct ObjectInfo {
  std::string baseClass;
};

// What a lookup is about to read, so that a client over a network can keep those reads in
// flight instead of waiting for each in turn. The values of listAttribute of object name the
// members; objectAttributes are read of the object as well; of each member the attributes of
// steps[0] will be read; where a step names a follow attribute (one of its own), that attribute's
// value names the object whose attributes the next step reads. The reads themselves still go
// through dsReadEntry, one at a time, and get the same results and errors, in the order they are
// made, as without the plan.
struct ReadAheadStep {
  std::vector<std::string> attributes;
  std::string follow;  // empty: the last step
};
struct ReadAheadPlan {
  std::string object;
  std::string listAttribute;
  std::vector<ReadAheadStep> steps;
  std::vector<std::string> objectAttributes;
};

// Takes the values of a direct read (DirectoryClient::ReadDirect): one call for each attribute of
// each reply part that the read through buffers would fill, with the values of it that the part
// holds, each as dsNextValue would give it. The values are the sink's to take (move from).
class DirectReadSink {
 public:
  virtual void Attribute(int32_t syntax, std::span<FetchedValue> values) = 0;

 protected:
  ~DirectReadSink() = default;
};

class DirectoryClient {
 public:
  virtual ~DirectoryClient() = default;

  // Client start and stop.
  virtual int32_t calStartup(int32_t a, int32_t b) = 0;
  virtual int32_t calShutdown(int32_t a) = 0;
  virtual int32_t clxStartup(int32_t a, int32_t b) = 0;
  virtual int32_t clxShutdown(int32_t a) = 0;
  virtual int32_t clxQueryCode(int32_t& code) = 0;
  virtual int32_t clxOpenHandle(int32_t code, int32_t a, int32_t b, int32_t& handle) = 0;

  // Contexts. Key 1: flag word; key 2: 32-bit value; key 8: handle; key 11: tree name (get only).
  virtual int32_t dsOpenContext(Context& context) = 0;
  virtual int32_t dsCloseContext(Context context) = 0;
  virtual int32_t dsContextGet(Context context, int32_t key, uint32_t& word) = 0;
  virtual int32_t dsContextGet(Context context, int32_t key, std::string& text) = 0;
  virtual int32_t dsContextSet(Context context, int32_t key, uint32_t word) = 0;

  // Buffers (size 4096). Prepare with operation 3 (read request), 6 (search attribute list) or
  // 28 (filter).
  virtual int32_t dsBufferNew(int32_t size, Buffer& buffer) = 0;
  virtual int32_t dsBufferDelete(Buffer buffer) = 0;
  virtual int32_t dsBufferPrepare(Context context, int32_t operation, Buffer buffer) = 0;
  virtual int32_t dsBufferAddName(Context context, Buffer buffer, const std::string& name) = 0;

  // Reads the requested attributes of one object into reply; iteration in/out.
  virtual int32_t dsReadEntry(Context context, const std::string& object, int32_t infoType,
                              int32_t allAttributes, Buffer request, Iteration& iteration,
                              Buffer reply) = 0;
  virtual int32_t dsEndIteration(Context context, Iteration iteration, int32_t operation) = 0;

  // Walking a read reply: attributes, then each attribute's values.
  virtual int32_t dsAttrCount(Context context, Buffer reply, int32_t& count) = 0;
  virtual int32_t dsNextAttr(Context context, Buffer reply, std::string& name, int32_t& valueCount,
                             int32_t& syntax) = 0;
  virtual int32_t dsValueSize(Context context, Buffer reply, int32_t syntax, int32_t& size) = 0;
  virtual int32_t dsNextValue(Context context, Buffer reply, int32_t syntax,
                              FetchedValue& place) = 0;

  // Filters: a cursor collects tokens; dsBufferAddFilter stores it and uses the cursor up.
  // dsFilterFree drops a cursor that was not stored.
  virtual int32_t dsFilterNew(FilterCursor& cursor) = 0;
  virtual int32_t dsFilterToken(FilterCursor cursor, int32_t token,
                                const std::optional<std::string>& value, int32_t syntax) = 0;
  virtual int32_t dsFilterFree(FilterCursor cursor) = 0;
  virtual int32_t dsBufferAddFilter(Context context, Buffer filterBuffer, FilterCursor cursor,
                                    int32_t a) = 0;

  // Searches below base; iteration in/out as for reads.
  virtual int32_t dsSearchTree(Context context, const std::string& base, int32_t scope,
                               int32_t searchAliases, Buffer filter, int32_t infoType,
                               int32_t allAttributes, Buffer attributeList, Iteration& iteration,
                               int32_t timeLimit, int32_t countLimit, Buffer reply) = 0;
  virtual int32_t dsObjectCount(Context context, Buffer reply, int32_t& count) = 0;
  virtual int32_t dsNextObject(Context context, Buffer reply, std::string& name,
                               int32_t& attributeCount, ObjectInfo& info) = 0;

  // Reads one attribute of object as the read through buffers does (dsBufferNew twice,
  // dsBufferPrepare, dsBufferAddName, then dsReadEntry and the walk of each part), without the
  // buffers: the values go to sink part by part as that walk would give them, the result is the
  // code it would fail with (0, -603 for an object without the attribute, -601, -613, -649, ...),
  // and LastFailureDetail() says what it would say. nullopt: the client has no direct path and
  // is read through buffers, as this default says.
  virtual std::optional<int32_t> ReadDirect(Context /*context*/, const std::string& /*object*/,
                                            const std::string& /*attribute*/,
                                            DirectReadSink& /*sink*/) {
    return std::nullopt;
  }

  // Why calStartup failed (file missing, unreadable, malformed, bad URL); empty when it did not.
  virtual std::string StartupFailureReason() const = 0;

  // Announces the reads of a lookup (see ReadAheadPlan); replaces an earlier plan. A client may
  // ignore it, which this default does.
  virtual void dsReadAhead(Context /*context*/, const ReadAheadPlan& /*plan*/) {}

  // What the client can say about the fault behind its last failed read or search: for a tree
  // file where the fault lies and what is wrong there ("tree.ldif:40: ..."), for a directory
  // server what the server said; empty when it cannot say. Error messages add it.
  virtual std::string LastFailureDetail() const { return {}; }
  // What the user should know that is no failure, since the last call, each once: for a
  // directory server a certificate check that is off, a password sent in clear, parts of the
  // directory that searches did not follow. This default has none.
  virtual std::vector<std::string> TakeNotices() { return {}; }
  // Where in its source the value of object's attribute is given, as the client hands it out
  // ("tree.ldif:57"); empty when it cannot say or has no such value. Tells a user where a name
  // that leads nowhere comes from.
  virtual std::string LocateValue(Context /*context*/, const std::string& /*object*/,
                                  const std::string& /*attribute*/, const std::string& /*value*/) {
    return {};
  }
};

}  // namespace vorlix::directory
