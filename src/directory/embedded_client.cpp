#include "directory/embedded_client.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include "directory/dotted_name.h"
#include "directory/ldif_reader.h"
#include "directory/memory_tree.h"
#include "directory/search_filter.h"
#include "directory/value_conversion.h"

namespace vorlix::directory {

namespace {

// Code of a value in the tree file that does not fit its attribute's syntax.
constexpr int32_t kErrSyntaxViolation = -613;

constexpr const char* kRootName = "[root]";

// A value from the tree file as a message quotes it: at most 40 bytes, control bytes as \xNN.
std::string QuotedValue(std::string_view text) {
  constexpr size_t kShown = 40;
  std::string quoted = "\"";
  for (size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      quoted += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    } else {
      quoted += text[i];
    }
  }
  if (text.size() > kShown) quoted += "...";
  return quoted + "\"";
}

// ---- reply bytes ---------------------------------------------------------------------------

void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PatchU32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Reads from a reply, failing softly past its end.
class ReplyReader {
 public:
  ReplyReader(const std::string& bytes, size_t at) : bytes_(bytes), at_(at) {}
  bool U16(uint16_t& v) {
    if (at_ + 2 > bytes_.size()) return false;
    v = static_cast<uint16_t>(Byte(at_) | (Byte(at_ + 1) << 8));
    at_ += 2;
    return true;
  }
  bool U32(uint32_t& v) {
    if (at_ + 4 > bytes_.size()) return false;
    v = Byte(at_) | (Byte(at_ + 1) << 8) | (Byte(at_ + 2) << 16) |
        (static_cast<uint32_t>(Byte(at_ + 3)) << 24);
    at_ += 4;
    return true;
  }
  bool Text(size_t n, std::string& text) {
    if (at_ + n > bytes_.size()) return false;
    text.assign(bytes_, at_, n);
    at_ += n;
    return true;
  }
  size_t at() const { return at_; }

 private:
  uint32_t Byte(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
  const std::string& bytes_;
  size_t at_;
};

struct ContextState {
  uint32_t flags = kFlagDerefAliases | kFlagCanonicalizeNames;
  uint32_t confidence = 0;
  uint32_t transportHandle = 0;
};

struct BufferState {
  int32_t size = 0;
  int32_t operation = 0;           // what dsBufferPrepare made it: 3, 6, 28, or 0
  std::vector<std::string> names;  // requested attributes
  size_t used = 0;                 // request bytes taken by the names
  std::optional<SearchFilter> filter;
  // A reply: what it holds and where the walk through it stands.
  int32_t replyKind = 0;  // kOpRead or kOpSearch once filled
  std::string bytes;
  int32_t itemsLeft = 0;   // attributes or objects not yet walked
  size_t nextItem = 0;     // offset of the next attribute or object
  int32_t valuesLeft = 0;  // values of the current attribute not yet fetched
  size_t nextValue = 0;    // offset of the next value
  int32_t syntax = 0;      // syntax of the current attribute
};

struct RequestedAttribute {
  std::string name;  // as asked for (or the LDAP name when all attributes are read)
  std::string key;   // lower-cased LDAP name
  NameId id = kNoName;
};

struct IterationState {
  int32_t operation = 0;
  Context context = 0;
  // Read: the entry, its attributes to deliver and where the next part starts.
  size_t entry = 0;
  std::vector<RequestedAttribute> attributes;
  size_t attribute = 0;
  size_t value = 0;
  // Search: the matching entries and the next one to deliver.
  std::vector<size_t> matches;
  size_t next = 0;
  size_t parts = 0;

  // True when the last part has been delivered.
  bool Done() const {
    return operation == kOpRead ? attribute >= attributes.size() : next >= matches.size();
  }
};

// Starts the walk through a reply of kind: its item count, and the first item after it.
int32_t StartWalk(BufferState& b, int32_t kind, int32_t& count) {
  if (b.replyKind != kind) return kErrInvalidRequest;
  uint32_t n = 0;
  ReplyReader in(b.bytes, 0);
  if (!in.U32(n)) return kErrEndOfReply;
  count = static_cast<int32_t>(n);
  b.itemsLeft = count;
  b.nextItem = in.at();
  b.valuesLeft = 0;
  return kOk;
}

// Decodes the next value of the current attribute of a read reply without moving past it;
// end is where the value after it starts.
int32_t PeekValue(const BufferState& b, int32_t syntax, FetchedValue& value, size_t& end) {
  if (b.replyKind != kOpRead || syntax != b.syntax) return kErrInvalidRequest;
  if (b.valuesLeft <= 0) return kErrEndOfReply;
  ReplyReader in(b.bytes, b.nextValue);
  uint32_t length = 0;
  std::string encoded;
  if (!in.U32(length) || !in.Text(length, encoded) || !DecodeValue(syntax, encoded, value)) {
    return kErrEndOfReply;
  }
  end = in.at();
  return kOk;
}

}  // namespace

struct EmbeddedClient::State {
  std::string path;
  std::map<std::string, std::string> overrides;
  std::unique_ptr<MemoryTree> tree;
  std::string failure;
  std::string failureDetail;  // where the last failed read found its fault
  bool repeatAcrossParts = false;
  size_t repliesFilled = 0;
  int32_t nextHandle = 1;
  std::unordered_map<Context, ContextState> contexts;
  std::unordered_map<Buffer, BufferState> buffers;
  std::unordered_map<FilterCursor, std::vector<FilterToken>> filters;
  std::unordered_map<Iteration, IterationState> iterations;

  int32_t NewHandle() { return nextHandle++; }

  ContextState* FindContext(Context c) {
    auto it = contexts.find(c);
    return it == contexts.end() ? nullptr : &it->second;
  }
  BufferState* FindBuffer(Buffer b) {
    auto it = buffers.find(b);
    return it == buffers.end() ? nullptr : &it->second;
  }
  // The buffer, when both it and the context exist.
  BufferState* FindBuffer(Context c, Buffer b) { return FindContext(c) ? FindBuffer(b) : nullptr; }
  // The open iteration of operation under context; iterations.end() when there is none.
  auto FindIteration(Iteration handle, int32_t operation, Context context) {
    auto it = iterations.find(handle);
    if (it != iterations.end() &&
        (it->second.operation != operation || it->second.context != context)) {
      return iterations.end();
    }
    return it;
  }
  bool Typed(const ContextState& c) const { return (c.flags & kFlagTypelessNames) == 0; }

  // A name in a value is shown as its entry spells it, whatever the value writes.
  NameSpelling Spelling() const {
    return [this](std::string_view dn, bool typedName) {
      const TreeEntry* named = tree->FindDn(dn);
      return named ? NameOf(*named, typedName) : WrittenNameSpelling(dn, typedName);
    };
  }

  // "file:line" of a line of the tree file.
  std::string Location(uint32_t line) const {
    return tree->fileName() + ":" + std::to_string(line);
  }

  std::string NameOf(const TreeEntry& entry, bool typed) const {
    return std::string(typed ? entry.typed() : entry.dotted());
  }

  int32_t FillReadPart(IterationState& it, bool typed, BufferState& reply);
  int32_t FillSearchPart(IterationState& it, bool typed, BufferState& reply);
  int32_t FillPart(IterationState& it, bool typed, BufferState& reply) {
    return it.operation == kOpRead ? FillReadPart(it, typed, reply)
                                   : FillSearchPart(it, typed, reply);
  }

  // Fills reply with the first part of a new read or search; keeps the iteration open when
  // more parts follow.
  int32_t BeginIteration(IterationState it, bool typed, BufferState& reply, Iteration& iteration) {
    int32_t r = FillPart(it, typed, reply);
    if (r != kOk) return r;
    if (!it.Done()) {
      iteration = NewHandle();
      iterations.emplace(iteration, std::move(it));
    }
    return kOk;
  }

  // Fills reply with the next part of an open iteration; ends the iteration when it failed or
  // has nothing left.
  int32_t ContinueIteration(Iteration& iteration, int32_t operation, Context context, bool typed,
                            BufferState& reply) {
    auto found = FindIteration(iteration, operation, context);
    if (found == iterations.end()) return kErrBadHandle;
    int32_t r = FillPart(found->second, typed, reply);
    if (r != kOk || found->second.Done()) {
      iterations.erase(found);
      iteration = kNoIteration;
    }
    return r;
  }
};

EmbeddedClient::EmbeddedClient(std::string path, std::map<std::string, std::string> overrides)
    : state_(std::make_unique<State>()) {
  state_->path = std::move(path);
  state_->overrides = std::move(overrides);
}

EmbeddedClient::~EmbeddedClient() = default;

// ---- start and stop ----------------------------------------------------------------------

int32_t EmbeddedClient::calStartup(int32_t, int32_t) {
  if (state_->tree) return kOk;
  try {
    state_->tree = MemoryTree::FromFile(state_->path, state_->overrides);
    state_->failure.clear();
    return kOk;
  } catch (const std::exception& e) {
    state_->failure = e.what();
    return kErrClientNotStarted;
  }
}

int32_t EmbeddedClient::calShutdown(int32_t) {
  state_->contexts.clear();
  state_->buffers.clear();
  state_->filters.clear();
  state_->iterations.clear();
  state_->tree.reset();
  return kOk;
}

int32_t EmbeddedClient::clxStartup(int32_t, int32_t) {
  return kOk;
}
int32_t EmbeddedClient::clxShutdown(int32_t) {
  return kOk;
}

int32_t EmbeddedClient::clxQueryCode(int32_t& code) {
  code = 1;
  return kOk;
}

int32_t EmbeddedClient::clxOpenHandle(int32_t, int32_t, int32_t, int32_t& handle) {
  handle = 1;
  return kOk;
}

std::string EmbeddedClient::StartupFailureReason() const {
  return state_->failure;
}

std::string EmbeddedClient::LastFailureDetail() const {
  return state_->failureDetail;
}

std::string EmbeddedClient::LocateValue(Context context, const std::string& object,
                                        const std::string& attribute, const std::string& value) {
  const ContextState* c = state_->FindContext(context);
  const TreeEntry* entry = c ? state_->tree->Find(object) : nullptr;
  if (!entry) return {};
  const MemoryTree& tree = *state_->tree;
  const std::string key = tree.names().AttributeKey(attribute);
  const TreeAttribute* found = tree.FindAttribute(*entry, tree.AttributeId(key));
  if (!found) return {};
  const int32_t syntax = tree.names().SyntaxOf(key);
  for (const TreeValue& raw : tree.ValuesOf(*found)) {
    auto handedOut = ConvertValue(syntax, raw.text(), state_->Typed(*c), state_->Spelling());
    if (handedOut && handedOut->text == value) return state_->Location(raw.line);
  }
  return {};
}

// ---- contexts ----------------------------------------------------------------------------

int32_t EmbeddedClient::dsOpenContext(Context& context) {
  if (!state_->tree) return kErrClientNotStarted;
  context = state_->NewHandle();
  state_->contexts[context] = ContextState{};
  return kOk;
}

int32_t EmbeddedClient::dsCloseContext(Context context) {
  if (state_->contexts.erase(context) == 0) return kErrBadHandle;
  std::erase_if(state_->iterations, [&](const auto& i) { return i.second.context == context; });
  return kOk;
}

int32_t EmbeddedClient::dsContextGet(Context context, int32_t key, uint32_t& word) {
  ContextState* c = state_->FindContext(context);
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

int32_t EmbeddedClient::dsContextGet(Context context, int32_t key, std::string& text) {
  if (!state_->FindContext(context)) return kErrBadHandle;
  if (key != kKeyTreeName) return kErrInvalidRequest;
  text = state_->tree->treeName();
  return kOk;
}

int32_t EmbeddedClient::dsContextSet(Context context, int32_t key, uint32_t word) {
  ContextState* c = state_->FindContext(context);
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

int32_t EmbeddedClient::dsBufferNew(int32_t size, Buffer& buffer) {
  if (!state_->tree) return kErrClientNotStarted;
  if (size <= 0 || size > kBufferSize) return kErrInvalidRequest;
  buffer = state_->NewHandle();
  state_->buffers[buffer].size = size;
  return kOk;
}

int32_t EmbeddedClient::dsBufferDelete(Buffer buffer) {
  return state_->buffers.erase(buffer) == 0 ? kErrBadHandle : kOk;
}

int32_t EmbeddedClient::dsBufferPrepare(Context context, int32_t operation, Buffer buffer) {
  BufferState* b = state_->FindBuffer(context, buffer);
  if (!b) return kErrBadHandle;
  if (operation != kOpRead && operation != kOpSearch && operation != kOpFilter) {
    return kErrInvalidRequest;
  }
  int32_t size = b->size;
  *b = BufferState{};
  b->size = size;
  b->operation = operation;
  return kOk;
}

int32_t EmbeddedClient::dsBufferAddName(Context context, Buffer buffer, const std::string& name) {
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

int32_t EmbeddedClient::State::FillReadPart(IterationState& it, bool typed, BufferState& reply) {
  const TreeEntry& entry = tree->entries()[it.entry];
  const SchemaNames& names = tree->names();
  std::string& out = reply.bytes;
  const size_t limit = static_cast<size_t>(reply.size);
  const NameSpelling spell = Spelling();
  out.clear();
  PutU32(out, 0);
  uint32_t attributesWritten = 0;
  while (it.attribute < it.attributes.size()) {
    const RequestedAttribute& requested = it.attributes[it.attribute];
    const auto values = tree->ValuesOf(*tree->FindAttribute(entry, requested.id));
    const int32_t syntax = names.SyntaxOf(requested.key);
    const size_t headerAt = out.size();
    PutU16(out, static_cast<uint16_t>(requested.name.size()));
    out += requested.name;
    PutU32(out, static_cast<uint32_t>(syntax));
    const size_t countAt = out.size();
    PutU32(out, 0);  // value count
    PutU32(out, 0);  // bytes of the values
    const size_t valuesAt = out.size();
    uint32_t valuesWritten = 0;
    bool full = false;
    while (it.value < values.size()) {
      const std::string_view text = values[it.value].text();
      auto value = ConvertValue(syntax, text, typed, spell);
      if (!value) {
        failureDetail = Location(values[it.value].line) + ": " + QuotedValue(text) + " " +
                        RefusalReason(syntax, text);
        return kErrSyntaxViolation;
      }
      const std::string encoded = EncodeValue(syntax, *value);
      if (out.size() + 4 + encoded.size() > limit) {
        full = true;
        if (valuesWritten == 0 && attributesWritten == 0) {
          failureDetail = Location(values[it.value].line) + ": the value is " +
                          std::to_string(text.size()) + " bytes long, more than one " +
                          std::to_string(limit) + "-byte reply holds";
        }
        break;
      }
      PutU32(out, static_cast<uint32_t>(encoded.size()));
      out += encoded;
      ++valuesWritten;
      ++it.value;
    }
    if (valuesWritten == 0 && full) {
      out.resize(headerAt);
      if (attributesWritten == 0) return kErrInsufficientBuffer;  // one value exceeds a reply
      break;
    }
    PatchU32(out, countAt, valuesWritten);
    PatchU32(out, countAt + 4, static_cast<uint32_t>(out.size() - valuesAt));
    ++attributesWritten;
    if (full) break;
    ++it.attribute;
    it.value = 0;
  }
  PatchU32(out, 0, attributesWritten);
  reply.replyKind = kOpRead;
  reply.itemsLeft = 0;
  reply.valuesLeft = 0;
  ++repliesFilled;
  return kOk;
}

int32_t EmbeddedClient::dsReadEntry(Context context, const std::string& object, int32_t,
                                    int32_t allAttributes, Buffer request, Iteration& iteration,
                                    Buffer reply) {
  ContextState* c = state_->FindContext(context);
  BufferState* req = state_->FindBuffer(request);
  BufferState* rep = state_->FindBuffer(reply);
  if (!c || !req || !rep) return kErrBadHandle;
  if (req->operation != kOpRead) return kErrInvalidRequest;
  rep->replyKind = 0;
  state_->failureDetail.clear();

  const bool typed = state_->Typed(*c);
  if (iteration != kNoIteration) {
    return state_->ContinueIteration(iteration, kOpRead, context, typed, *rep);
  }

  const TreeEntry* entry = state_->tree->Find(object);
  if (!entry) return kErrNoSuchEntry;
  IterationState it;
  it.operation = kOpRead;
  it.context = context;
  it.entry = static_cast<size_t>(entry - state_->tree->entries().data());
  if (allAttributes != 0) {
    for (const TreeAttribute& a : state_->tree->AttributesOf(*entry)) {
      const std::string& key = state_->tree->AttributeKey(a.name);
      it.attributes.push_back({key, key, a.name});
    }
  } else {
    for (const std::string& name : req->names) {
      std::string key = state_->tree->names().AttributeKey(name);
      const NameId id = state_->tree->AttributeId(key);
      if (state_->tree->FindAttribute(*entry, id)) it.attributes.push_back({name, key, id});
    }
    if (it.attributes.empty() && !req->names.empty()) return kErrNoSuchAttribute;
  }
  return state_->BeginIteration(std::move(it), typed, *rep, iteration);
}

int32_t EmbeddedClient::dsEndIteration(Context context, Iteration iteration, int32_t operation) {
  auto found = state_->FindIteration(iteration, operation, context);
  if (found == state_->iterations.end()) return kErrBadHandle;
  state_->iterations.erase(found);
  return kOk;
}

int32_t EmbeddedClient::dsAttrCount(Context context, Buffer reply, int32_t& count) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  return StartWalk(*b, kOpRead, count);
}

int32_t EmbeddedClient::dsNextAttr(Context context, Buffer reply, std::string& name,
                                   int32_t& valueCount, int32_t& syntax) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  if (b->replyKind != kOpRead) return kErrInvalidRequest;
  if (b->itemsLeft <= 0) return kErrEndOfReply;
  ReplyReader in(b->bytes, b->nextItem);
  uint16_t nameLength = 0;
  uint32_t syn = 0, count = 0, blockLength = 0;
  if (!in.U16(nameLength) || !in.Text(nameLength, name) || !in.U32(syn) || !in.U32(count) ||
      !in.U32(blockLength)) {
    return kErrEndOfReply;
  }
  syntax = static_cast<int32_t>(syn);
  valueCount = static_cast<int32_t>(count);
  b->syntax = syntax;
  b->valuesLeft = valueCount;
  b->nextValue = in.at();
  b->nextItem = in.at() + blockLength;
  --b->itemsLeft;
  return kOk;
}

int32_t EmbeddedClient::dsValueSize(Context context, Buffer reply, int32_t syntax, int32_t& size) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  FetchedValue value;
  size_t end = 0;
  int32_t r = PeekValue(*b, syntax, value, end);
  if (r == kOk) size = FetchedSize(syntax, value);
  return r;
}

int32_t EmbeddedClient::dsNextValue(Context context, Buffer reply, int32_t syntax,
                                    FetchedValue& place) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  int32_t r = PeekValue(*b, syntax, place, b->nextValue);
  if (r == kOk) --b->valuesLeft;
  return r;
}

// ---- filters -----------------------------------------------------------------------------

int32_t EmbeddedClient::dsFilterNew(FilterCursor& cursor) {
  if (!state_->tree) return kErrClientNotStarted;
  cursor = state_->NewHandle();
  state_->filters[cursor];
  return kOk;
}

int32_t EmbeddedClient::dsFilterToken(FilterCursor cursor, int32_t token,
                                      const std::optional<std::string>& value, int32_t syntax) {
  auto found = state_->filters.find(cursor);
  if (found == state_->filters.end()) return kErrBadHandle;
  if (token < kTokEnd || token > kTokBaseClass) return kErrInvalidRequest;
  found->second.push_back(FilterToken{token, value, syntax});
  return kOk;
}

int32_t EmbeddedClient::dsFilterFree(FilterCursor cursor) {
  return state_->filters.erase(cursor) == 0 ? kErrBadHandle : kOk;
}

int32_t EmbeddedClient::dsBufferAddFilter(Context context, Buffer filterBuffer, FilterCursor cursor,
                                          int32_t) {
  BufferState* b = state_->FindBuffer(filterBuffer);
  auto found = state_->filters.find(cursor);
  if (!state_->FindContext(context) || !b || found == state_->filters.end()) return kErrBadHandle;
  if (b->operation != kOpFilter) return kErrInvalidRequest;
  auto filter = SearchFilter::Build(found->second, state_->tree->names(), nullptr);
  if (!filter) return kErrInvalidRequest;
  b->filter = std::move(filter);
  state_->filters.erase(found);
  return kOk;
}

// ---- searches ----------------------------------------------------------------------------

int32_t EmbeddedClient::State::FillSearchPart(IterationState& it, bool typed, BufferState& reply) {
  std::string& out = reply.bytes;
  const size_t limit = static_cast<size_t>(reply.size);
  out.clear();
  PutU32(out, 0);
  uint32_t written = 0;
  auto put = [&](size_t index) {
    const TreeEntry& entry = tree->entries()[it.matches[index]];
    const std::string name = NameOf(entry, typed);
    const std::string cls = tree->names().ProgramClassName(tree->ClassKey(entry.baseClass));
    if (out.size() + 2 + name.size() + 2 + cls.size() + 4 > limit) return false;
    PutU16(out, static_cast<uint16_t>(name.size()));
    out += name;
    PutU16(out, static_cast<uint16_t>(cls.size()));
    out += cls;
    PutU32(out, 0);  // attributes: names only are delivered
    ++written;
    return true;
  };
  if (repeatAcrossParts && it.parts > 0 && it.next > 0) put(it.next - 1);
  while (it.next < it.matches.size() && put(it.next)) ++it.next;
  if (written == 0 && it.next < it.matches.size()) return kErrInsufficientBuffer;
  PatchU32(out, 0, written);
  ++it.parts;
  reply.replyKind = kOpSearch;
  reply.itemsLeft = 0;
  ++repliesFilled;
  return kOk;
}

int32_t EmbeddedClient::dsSearchTree(Context context, const std::string& base, int32_t scope,
                                     int32_t, Buffer filter, int32_t, int32_t, Buffer attributeList,
                                     Iteration& iteration, int32_t, int32_t, Buffer reply) {
  ContextState* c = state_->FindContext(context);
  BufferState* f = state_->FindBuffer(filter);
  BufferState* rep = state_->FindBuffer(reply);
  if (!c || !f || !rep || !state_->FindBuffer(attributeList)) return kErrBadHandle;
  rep->replyKind = 0;
  const bool typed = state_->Typed(*c);

  if (iteration != kNoIteration) {
    return state_->ContinueIteration(iteration, kOpSearch, context, typed, *rep);
  }

  if (f->operation != kOpFilter || !f->filter) return kErrInvalidRequest;
  if (scope < kScopeEntry || scope > kScopeSubtree) return kErrInvalidRequest;
  const MemoryTree& tree = *state_->tree;
  const TreeEntry* baseEntry = nullptr;  // none: the whole tree
  if (base != kRootName) {
    baseEntry = tree.Find(base);
    if (!baseEntry) return kErrNoSuchEntry;
  }
  IterationState it;
  it.operation = kOpSearch;
  it.context = context;
  const SearchFilter::TreeMatch matches(*f->filter, tree);
  auto consider = [&](size_t index) {
    const TreeEntry& entry = tree.entries()[index];
    if (tree.InScope(entry, baseEntry, scope) && matches(entry)) it.matches.push_back(index);
  };
  if (auto cls = f->filter->RequiredClass()) {
    for (size_t index : tree.OfClass(*cls)) consider(index);
  } else {
    for (size_t index = 0; index < tree.entries().size(); ++index) consider(index);
  }
  return state_->BeginIteration(std::move(it), typed, *rep, iteration);
}

int32_t EmbeddedClient::dsObjectCount(Context context, Buffer reply, int32_t& count) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  return StartWalk(*b, kOpSearch, count);
}

int32_t EmbeddedClient::dsNextObject(Context context, Buffer reply, std::string& name,
                                     int32_t& attributeCount, ObjectInfo& info) {
  BufferState* b = state_->FindBuffer(context, reply);
  if (!b) return kErrBadHandle;
  if (b->replyKind != kOpSearch) return kErrInvalidRequest;
  if (b->itemsLeft <= 0) return kErrEndOfReply;
  ReplyReader in(b->bytes, b->nextItem);
  uint16_t nameLength = 0, classLength = 0;
  uint32_t attributes = 0;
  if (!in.U16(nameLength) || !in.Text(nameLength, name) || !in.U16(classLength) ||
      !in.Text(classLength, info.baseClass) || !in.U32(attributes)) {
    return kErrEndOfReply;
  }
  attributeCount = static_cast<int32_t>(attributes);
  b->nextItem = in.at();
  --b->itemsLeft;
  return kOk;
}

// ---- testing aids ------------------------------------------------------------------------

void EmbeddedClient::SetRepeatAcrossParts(bool on) {
  state_->repeatAcrossParts = on;
}
size_t EmbeddedClient::OpenBuffers() const {
  return state_->buffers.size();
}
size_t EmbeddedClient::OpenFilters() const {
  return state_->filters.size();
}
size_t EmbeddedClient::OpenIterations() const {
  return state_->iterations.size();
}
size_t EmbeddedClient::RepliesFilled() const {
  return state_->repliesFilled;
}

}  // namespace vorlix::directory
