#include "directory/buffered_client.h"

#include "directory/handle_table.h"
#include "directory/value_conversion.h"

namespace vorlix::directory {

namespace {

struct ContextState {
  uint32_t flags = kFlagDerefAliases | kFlagCanonicalizeNames;
  uint32_t confidence = 0;
  uint32_t transportHandle = 0;

  bool TypedNames() const { return (flags & kFlagTypelessNames) == 0; }
};

struct BufferState {
  int32_t size = 0;
  int32_t operation = 0;           // what dsBufferPrepare made it: 3, 6, 28, or 0
  std::vector<std::string> names;  // requested attributes
  size_t used = 0;                 // request bytes taken by the names
  std::optional<SearchFilter> filter;
  Reply reply;
};

// Where a read stands: the attribute and the value of it that the next part starts with.
struct ReadPosition {
  size_t attribute = 0;
  size_t value = 0;
};

struct IterationState {
  int32_t operation = 0;
  Context context = 0;
  // Read: the attributes and where the next part starts.
  std::vector<ReadAttribute> attributes;
  ReadPosition at;
  // Search: the objects found, the next one to deliver and the parts delivered.
  std::vector<FoundObject> found;
  size_t next = 0;
  size_t parts = 0;

  bool Done() const {
    return operation == kOpRead ? at.attribute >= attributes.size() : next >= found.size();
  }
};

}  // namespace

struct BufferedClient::State {
  explicit State(const BufferedClient& c) : client(c) {}

  const BufferedClient& client;
  HandleCounter handles;
  HandleTable<ContextState> contexts;
  HandleTable<BufferState> buffers;
  HandleTable<std::vector<FilterToken>> filters;
  HandleTable<IterationState> iterations;
  std::string readFailure;                      // the fault of the last read that met one
  std::vector<std::string> directNames;         // the direct read's request, kept for its room
  std::vector<ReadAttribute> directAttributes;  // what the direct read found, kept for its room
  bool repeatAcrossParts = false;
  size_t repliesFilled = 0;

  // The buffer, when both it and the context exist.
  BufferState* FindBuffer(Context c, Buffer b) {
    return contexts.Find(c) ? buffers.Find(b) : nullptr;
  }
  // A step of the walk through a reply buffer under context; -322 when either does not exist.
  template <typename Step>
  int32_t Walk(Context c, Buffer b, Step step) {
    BufferState* buffer = FindBuffer(c, b);
    return buffer ? step(buffer->reply) : kErrBadHandle;
  }
  // The open iteration of operation under context; nullptr when there is none.
  IterationState* FindIteration(Iteration handle, int32_t operation, Context context) {
    IterationState* it = iterations.Find(handle);
    return it && it->operation == operation && it->context == context ? it : nullptr;
  }

  template <typename Part, typename AddValue>
  int32_t LayReadPart(Part& part, AddValue addValue, const std::vector<ReadAttribute>& attributes,
                      ReadPosition& at, size_t replySize);
  int32_t FillReadPart(IterationState& it, BufferState& reply);
  // Hands the attributes and values between from and to (one part) to sink.
  static void Deliver(std::vector<ReadAttribute>& attributes, ReadPosition from, ReadPosition to,
                      DirectReadSink& sink);
  int32_t FillSearchPart(IterationState& it, BufferState& reply);
  int32_t FillPart(IterationState& it, BufferState& reply) {
    return it.operation == kOpRead ? FillReadPart(it, reply) : FillSearchPart(it, reply);
  }

  // Fills reply with the first part; keeps the iteration open when more parts follow.
  int32_t BeginIteration(IterationState it, BufferState& reply, Iteration& iteration) {
    const int32_t r = FillPart(it, reply);
    if (r != kOk) return r;
    if (!it.Done()) {
      iteration = handles.Next();
      iterations.Add(iteration, std::move(it));
    }
    return kOk;
  }

  // Fills reply with the next part of an open iteration; ends it when it failed or is done.
  int32_t ContinueIteration(Iteration& iteration, int32_t operation, Context context,
                            BufferState& reply) {
    IterationState* it = FindIteration(iteration, operation, context);
    if (!it) return kErrBadHandle;
    const int32_t r = FillPart(*it, reply);
    if (r != kOk || it->Done()) {
      iterations.Erase(iteration);
      iteration = kNoIteration;
    }
    return r;
  }
};

// Lays the next part of a read from `at` on into part (a ReplyPart, or a ReplyPartPlan that
// counts alike): as many attributes and values as fit; `at` moves past them. A failure leaves
// `at` on the value or attribute that failed and sets readFailure.
template <typename Part, typename AddValue>
int32_t BufferedClient::State::LayReadPart(Part& part, AddValue addValue,
                                           const std::vector<ReadAttribute>& attributes,
                                           ReadPosition& at, size_t replySize) {
  while (at.attribute < attributes.size()) {
    const ReadAttribute& attribute = attributes[at.attribute];
    part.BeginAttribute(attribute.name, attribute.syntax);
    bool full = false;
    for (; at.value < attribute.values.size(); ++at.value) {
      if (!addValue(part, attribute.syntax, attribute.values[at.value])) {
        full = true;
        break;
      }
    }
    if (!full && attribute.fault) {
      readFailure = attribute.fault->detail;
      return attribute.fault->code;
    }
    if (full && part.ValuesInAttribute() == 0) {
      part.DropAttribute();
      if (part.Items() == 0) {  // one value exceeds a reply
        readFailure = client.TooLargeDetail(attribute.origin, at.value, replySize);
        return kErrInsufficientBuffer;
      }
      break;
    }
    part.EndAttribute();
    if (full) break;
    ++at.attribute;
    at.value = 0;
  }
  ++repliesFilled;
  return kOk;
}

// Writes the next part of a read into reply.
int32_t BufferedClient::State::FillReadPart(IterationState& it, BufferState& reply) {
  ReplyPart part(reply.reply, kOpRead, static_cast<size_t>(reply.size));
  const auto encode = [](ReplyPart& p, int32_t syntax, const FetchedValue& value) {
    return p.AddValue(EncodeValue(syntax, value));
  };
  const int32_t r =
      LayReadPart(part, encode, it.attributes, it.at, static_cast<size_t>(reply.size));
  if (r == kOk) part.Finish();
  return r;
}

// Writes the next part of a search into reply: as many objects as fit.
int32_t BufferedClient::State::FillSearchPart(IterationState& it, BufferState& reply) {
  ReplyPart part(reply.reply, kOpSearch, static_cast<size_t>(reply.size));
  if (repeatAcrossParts && it.parts > 0 && it.next > 0) part.AddObject(it.found[it.next - 1]);
  while (it.next < it.found.size() && part.AddObject(it.found[it.next])) ++it.next;
  if (part.Items() == 0 && it.next < it.found.size()) return kErrInsufficientBuffer;
  part.Finish();
  ++it.parts;
  ++repliesFilled;
  return kOk;
}

BufferedClient::BufferedClient() : state_(std::make_unique<State>(*this)) {}
BufferedClient::~BufferedClient() = default;

void BufferedClient::ClearHandles() {
  state_->contexts.Clear();
  state_->buffers.Clear();
  state_->filters.Clear();
  state_->iterations.Clear();
}

std::optional<bool> BufferedClient::TypedNames(Context context) const {
  const ContextState* c = state_->contexts.Find(context);
  return c ? std::optional<bool>(c->TypedNames()) : std::nullopt;
}

std::string BufferedClient::LastFailureDetail() const {
  return state_->readFailure;
}

// ---- conversion services -----------------------------------------------------------------

int32_t BufferedClient::clxStartup(int32_t, int32_t) {
  return kOk;
}
int32_t BufferedClient::clxShutdown(int32_t) {
  return kOk;
}

int32_t BufferedClient::clxQueryCode(int32_t& code) {
  code = 1;
  return kOk;
}

int32_t BufferedClient::clxOpenHandle(int32_t, int32_t, int32_t, int32_t& handle) {
  handle = 1;
  return kOk;
}

// ---- contexts ----------------------------------------------------------------------------

int32_t BufferedClient::dsOpenContext(Context& context) {
  if (!Started()) return kErrClientNotStarted;
  state_->contexts.Add(state_->handles, context);
  return kOk;
}

int32_t BufferedClient::dsCloseContext(Context context) {
  if (!state_->contexts.Erase(context)) return kErrBadHandle;
  state_->iterations.EraseIf([&](const IterationState& it) { return it.context == context; });
  ContextClosed(context);
  return kOk;
}

int32_t BufferedClient::dsContextGet(Context context, int32_t key, uint32_t& word) {
  ContextState* c = state_->contexts.Find(context);
  if (!c) return kErrBadHandle;
  switch (key) {
    case kKeyFlags:
      word = c->flags;
      return kOk;
    case kKeyConfidence:
      word = c->confidence;
      return kOk;
    case kKeyTransportHandle:
      word = c->transportHandle;
      return kOk;
    default:
      return kErrInvalidRequest;
  }
}

int32_t BufferedClient::dsContextGet(Context context, int32_t key, std::string& text) {
  if (!state_->contexts.Find(context)) return kErrBadHandle;
  if (key != kKeyTreeName) return kErrInvalidRequest;
  return TreeName(text);
}

int32_t BufferedClient::dsContextSet(Context context, int32_t key, uint32_t word) {
  ContextState* c = state_->contexts.Find(context);
  if (!c) return kErrBadHandle;
  switch (key) {
    case kKeyFlags:
      c->flags = word;
      return kOk;
    case kKeyConfidence:
      c->confidence = word;
      return kOk;
    case kKeyTransportHandle:
      c->transportHandle = word;
      return kOk;
    default:
      return kErrInvalidRequest;
  }
}

// ---- buffers -----------------------------------------------------------------------------

int32_t BufferedClient::dsBufferNew(int32_t size, Buffer& buffer) {
  if (!Started()) return kErrClientNotStarted;
  if (size <= 0 || size > kBufferSize) return kErrInvalidRequest;
  state_->buffers.Add(state_->handles, buffer).size = size;
  return kOk;
}

int32_t BufferedClient::dsBufferDelete(Buffer buffer) {
  return state_->buffers.Erase(buffer) ? kOk : kErrBadHandle;
}

int32_t BufferedClient::dsBufferPrepare(Context context, int32_t operation, Buffer buffer) {
  BufferState* b = state_->FindBuffer(context, buffer);
  if (!b) return kErrBadHandle;
  if (operation != kOpRead && operation != kOpSearch && operation != kOpFilter) {
    return kErrInvalidRequest;
  }
  const int32_t size = b->size;
  *b = BufferState{};
  b->size = size;
  b->operation = operation;
  return kOk;
}

int32_t BufferedClient::dsBufferAddName(Context context, Buffer buffer, const std::string& name) {
  BufferState* b = state_->FindBuffer(context, buffer);
  if (!b) return kErrBadHandle;
  if (b->operation != kOpRead && b->operation != kOpSearch) return kErrInvalidRequest;
  const size_t need = name.size() + 3;  // length word and NUL, as the request holds it
  if (b->used + need > static_cast<size_t>(b->size)) return kErrInsufficientBuffer;
  b->used += need;
  b->names.push_back(name);
  return kOk;
}

// ---- reads -------------------------------------------------------------------------------

int32_t BufferedClient::dsReadEntry(Context context, const std::string& object, int32_t,
                                    int32_t allAttributes, Buffer request, Iteration& iteration,
                                    Buffer reply) {
  ContextState* c = state_->contexts.Find(context);
  BufferState* req = state_->buffers.Find(request);
  BufferState* rep = state_->buffers.Find(reply);
  if (!c || !req || !rep) return kErrBadHandle;
  if (req->operation != kOpRead) return kErrInvalidRequest;
  rep->reply.MarkUnfilled();
  state_->readFailure.clear();
  if (iteration != kNoIteration) {
    return state_->ContinueIteration(iteration, kOpRead, context, *rep);
  }
  IterationState it;
  it.operation = kOpRead;
  it.context = context;
  const int32_t r =
      ReadObject(object, allAttributes != 0, req->names, c->TypedNames(), it.attributes);
  if (r != kOk) return r;
  if (allAttributes == 0 && it.attributes.empty() && !req->names.empty()) {
    return kErrNoSuchAttribute;
  }
  return state_->BeginIteration(std::move(it), *rep, iteration);
}

void BufferedClient::State::Deliver(std::vector<ReadAttribute>& attributes, ReadPosition from,
                                    ReadPosition to, DirectReadSink& sink) {
  for (size_t a = from.attribute; a < attributes.size() && a <= to.attribute; ++a) {
    ReadAttribute& attribute = attributes[a];
    const size_t begin = a == from.attribute ? from.value : 0;
    const size_t end = a == to.attribute ? to.value : attribute.values.size();
    if (a == to.attribute && end == 0) break;  // the next part begins with it
    for (size_t v = begin; v < end; ++v) AsReplyGives(attribute.syntax, attribute.values[v]);
    sink.Attribute(attribute.syntax,
                   std::span<FetchedValue>(attribute.values).subspan(begin, end - begin));
  }
}

std::optional<int32_t> BufferedClient::ReadDirect(Context context, const std::string& object,
                                                  const std::string& attribute,
                                                  DirectReadSink& sink) {
  // What the calls before dsReadEntry refuse, in their order: the buffers of a client not
  // started, a context that does not exist, a name longer than a request.
  if (!Started()) return kErrClientNotStarted;
  const ContextState* c = state_->contexts.Find(context);
  if (!c) return kErrBadHandle;
  if (attribute.size() + 3 > static_cast<size_t>(kBufferSize)) return kErrInsufficientBuffer;
  state_->readFailure.clear();
  std::vector<std::string>& names = state_->directNames;
  names.resize(1);
  names[0] = attribute;
  // The attributes are taken in a vector kept for its room, and emptied when the read is done
  // (however it ends), so that no values outlive it.
  std::vector<ReadAttribute>& attributes = state_->directAttributes;
  struct Emptied {
    std::vector<ReadAttribute>& attributes;
    ~Emptied() { attributes.clear(); }
  } emptied{attributes};
  const int32_t r = ReadObject(object, false, names, c->TypedNames(), attributes);
  if (r != kOk) return r;
  if (attributes.empty()) return kErrNoSuchAttribute;
  // The parts are planned as they would be filled; each is handed over once it is whole, as the
  // walk sees nothing of a part that failed.
  const auto count = [](ReplyPartPlan& p, int32_t syntax, const FetchedValue& value) {
    return p.AddValue(EncodedSize(syntax, value));
  };
  ReadPosition at;
  while (at.attribute < attributes.size()) {
    const ReadPosition from = at;
    ReplyPartPlan part(kBufferSize);
    if (const int32_t laid = state_->LayReadPart(part, count, attributes, at, kBufferSize);
        laid != kOk) {
      return laid;
    }
    State::Deliver(attributes, from, at, sink);
  }
  return kOk;
}

int32_t BufferedClient::dsEndIteration(Context context, Iteration iteration, int32_t operation) {
  if (!state_->FindIteration(iteration, operation, context)) return kErrBadHandle;
  state_->iterations.Erase(iteration);
  return kOk;
}

int32_t BufferedClient::dsAttrCount(Context context, Buffer reply, int32_t& count) {
  return state_->Walk(context, reply, [&](Reply& r) { return r.StartWalk(kOpRead, count); });
}

int32_t BufferedClient::dsNextAttr(Context context, Buffer reply, std::string& name,
                                   int32_t& valueCount, int32_t& syntax) {
  return state_->Walk(context, reply,
                      [&](Reply& r) { return r.NextAttribute(name, valueCount, syntax); });
}

int32_t BufferedClient::dsValueSize(Context context, Buffer reply, int32_t syntax, int32_t& size) {
  return state_->Walk(context, reply, [&](Reply& r) {
    FetchedValue value;
    const int32_t result = r.PeekValue(syntax, value);
    if (result == kOk) size = FetchedSize(syntax, value);
    return result;
  });
}

int32_t BufferedClient::dsNextValue(Context context, Buffer reply, int32_t syntax,
                                    FetchedValue& place) {
  return state_->Walk(context, reply, [&](Reply& r) { return r.NextValue(syntax, place); });
}

// ---- filters -----------------------------------------------------------------------------

int32_t BufferedClient::dsFilterNew(FilterCursor& cursor) {
  if (!Started()) return kErrClientNotStarted;
  state_->filters.Add(state_->handles, cursor);
  return kOk;
}

int32_t BufferedClient::dsFilterToken(FilterCursor cursor, int32_t token,
                                      const std::optional<std::string>& value, int32_t syntax) {
  std::vector<FilterToken>* tokens = state_->filters.Find(cursor);
  if (!tokens) return kErrBadHandle;
  if (token < kTokEnd || token > kTokBaseClass) return kErrInvalidRequest;
  tokens->push_back(FilterToken{token, value, syntax});
  return kOk;
}

int32_t BufferedClient::dsFilterFree(FilterCursor cursor) {
  return state_->filters.Erase(cursor) ? kOk : kErrBadHandle;
}

int32_t BufferedClient::dsBufferAddFilter(Context context, Buffer filterBuffer, FilterCursor cursor,
                                          int32_t) {
  BufferState* b = state_->buffers.Find(filterBuffer);
  std::vector<FilterToken>* tokens = state_->filters.Find(cursor);
  if (!state_->contexts.Find(context) || !b || !tokens) return kErrBadHandle;
  if (b->operation != kOpFilter) return kErrInvalidRequest;
  auto filter = SearchFilter::Build(*tokens, Names(), nullptr);
  if (!filter) return kErrInvalidRequest;
  b->filter = std::move(filter);
  state_->filters.Erase(cursor);
  return kOk;
}

// ---- searches ----------------------------------------------------------------------------

int32_t BufferedClient::dsSearchTree(Context context, const std::string& base, int32_t scope,
                                     int32_t, Buffer filter, int32_t, int32_t, Buffer attributeList,
                                     Iteration& iteration, int32_t, int32_t, Buffer reply) {
  ContextState* c = state_->contexts.Find(context);
  BufferState* f = state_->buffers.Find(filter);
  BufferState* rep = state_->buffers.Find(reply);
  if (!c || !f || !rep || !state_->buffers.Find(attributeList)) return kErrBadHandle;
  rep->reply.MarkUnfilled();
  if (iteration != kNoIteration) {
    return state_->ContinueIteration(iteration, kOpSearch, context, *rep);
  }
  if (f->operation != kOpFilter || !f->filter) return kErrInvalidRequest;
  if (scope < kScopeEntry || scope > kScopeSubtree) return kErrInvalidRequest;
  IterationState it;
  it.operation = kOpSearch;
  it.context = context;
  const int32_t r = FindObjects(base, scope, *f->filter, c->TypedNames(), it.found);
  if (r != kOk) return r;
  return state_->BeginIteration(std::move(it), *rep, iteration);
}

int32_t BufferedClient::dsObjectCount(Context context, Buffer reply, int32_t& count) {
  return state_->Walk(context, reply, [&](Reply& r) { return r.StartWalk(kOpSearch, count); });
}

int32_t BufferedClient::dsNextObject(Context context, Buffer reply, std::string& name,
                                     int32_t& attributeCount, ObjectInfo& info) {
  return state_->Walk(context, reply,
                      [&](Reply& r) { return r.NextObject(name, attributeCount, info.baseClass); });
}

// ---- testing aids ------------------------------------------------------------------------

void BufferedClient::SetRepeatAcrossParts(bool on) {
  state_->repeatAcrossParts = on;
}
size_t BufferedClient::OpenBuffers() const {
  return state_->buffers.Size();
}
size_t BufferedClient::OpenFilters() const {
  return state_->filters.Size();
}
size_t BufferedClient::OpenIterations() const {
  return state_->iterations.Size();
}
size_t BufferedClient::RepliesFilled() const {
  return state_->repliesFilled;
}

}  // namespace vorlix::directory
