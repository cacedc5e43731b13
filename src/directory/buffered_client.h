#pragma once
// The base of the clients, which build their replies in memory: the tables of contexts, buffers,
// filter cursors and iterations, the 4096-byte reply parts and the walk through them
// (reply_codec.h). A derived client answers two questions, what a read of one object yields and
// what a search finds, and this class keeps the client contract around the answers: replies never
// hold more than their buffer, the iteration handle carries a read or a search across as many
// parts as needed (-1 when no part is left), a single value too large for a reply is -649.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/directory_client.h"
#include "directory/reply_codec.h"
#include "directory/search_filter.h"

namespace vorlix::directory {

// A value that cannot be handed out: the read fails with code when it comes to it, after the
// values before it have been delivered; detail is then the client's LastFailureDetail().
struct ValueFault {
  int32_t code = 0;
  std::string detail;
};

// One attribute of a read, its values in fetched layout.
struct ReadAttribute {
  std::string name;  // as the program asked for it (or the LDAP name when all were read)
  int32_t syntax = SYN_CI_STRING;
  std::vector<FetchedValue> values;
  std::optional<ValueFault> fault;  // follows the values; no attribute follows it
  uint32_t origin = 0;              // the client's own mark of where the values come from
};

class BufferedClient : public DirectoryClient {
 public:
  BufferedClient();
  ~BufferedClient() override;

  // The conversion services: nothing to start; a fixed code and handle.
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

  // A read of one attribute that plans the reply parts instead of filling them (ReadObject once,
  // then the parts as dsReadEntry would lay them out); the same results and failures.
  std::optional<int32_t> ReadDirect(Context context, const std::string& object,
                                    const std::string& attribute, DirectReadSink& sink) override;

  // The fault of the last read that met one (see ValueFault, TooLargeDetail); empty otherwise.
  std::string LastFailureDetail() const override;

  // Testing aids. With repeatAcrossParts, every search part after the first begins with the last
  // object of the part before, as a directory may deliver an object twice.
  void SetRepeatAcrossParts(bool on);
  size_t OpenBuffers() const;
  size_t OpenFilters() const;
  size_t OpenIterations() const;
  size_t RepliesFilled() const;  // reply parts written (or planned) since the client was made

 protected:
  // Whether the client is started; without it contexts, buffers and filters are refused (-1).
  virtual bool Started() const = 0;
  // The tree name of key 11.
  virtual int32_t TreeName(std::string& name) = 0;
  // The schema names that filters are built with.
  virtual const SchemaNames& Names() const = 0;
  // The attributes of object: all of them, or those of `names` that it has (in that order), their
  // values converted; typed chooses the spelling of names. -601 for a missing object; -603 is
  // given by this class when the list comes back empty. A value that cannot be converted may end
  // the list as the last attribute's fault.
  virtual int32_t ReadObject(const std::string& object, bool allAttributes,
                             const std::vector<std::string>& names, bool typed,
                             std::vector<ReadAttribute>& attributes) = 0;
  // The objects below base ("[root]": the whole tree) in scope that match filter.
  virtual int32_t FindObjects(const std::string& base, int32_t scope, const SearchFilter& filter,
                              bool typed, std::vector<FoundObject>& found) = 0;
  // A context is closed.
  virtual void ContextClosed(Context) {}
  // What LastFailureDetail() says when value `value` of the attribute read with this origin is
  // too large for a reply of replySize bytes; empty: nothing.
  virtual std::string TooLargeDetail(uint32_t /*origin*/, size_t /*value*/,
                                     size_t /*replySize*/) const {
    return {};
  }

  // Whether context spells names typed; nullopt for no such context.
  std::optional<bool> TypedNames(Context context) const;
  // Drops every table (the client stops).
  void ClearHandles();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vorlix::directory
