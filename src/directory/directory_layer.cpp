#include "directory/directory_layer.h"

#include <cstdio>
#include <span>
#include <unordered_set>

#include "directory/client_guards.h"
#include "directory/dotted_name.h"
#include "directory/value_conversion.h"
#include "directory/value_rendering.h"
#include "platform/case_fold.h"
#include "platform/plain_text.h"
#include "platform/text_encoding.h"

namespace vorlix::directory {

namespace {

std::string ErrorMessage(int32_t code) {
  char text[64];
  std::snprintf(text, sizeof text, "Netware error %d (0x%08X)", code, static_cast<uint32_t>(code));
  return text;
}

// Refuses a text of more than limit characters, naming what it is. The limits count characters:
// a name of accented letters takes twice as many UTF-8 bytes and still fits.
void CheckLimit(const std::string& text, size_t limit, const char* what) {
  if (text.size() <= limit) return;  // no text has more characters than bytes
  const size_t characters = platform::CharacterCount(text);
  if (characters > limit) {
    throw DirectoryArgumentError(std::string(what) + " is " + std::to_string(characters) +
                                 " characters long; at most " + std::to_string(limit) +
                                 " are allowed");
  }
}

// What a failed read adds to the message: the client's own account of the fault, else the
// meaning of the codes a user meets most.
std::string ReadFailureDetail(DirectoryClient& client, int32_t code) {
  std::string detail = client.LastFailureDetail();
  if (detail.empty() && code == kErrNoSuchEntry) detail = "no such object";
  return detail;
}

// The values of one attribute of a reply part, fetched from the reply as the walk goes.
template <typename Check>
class WalkedValues {
 public:
  WalkedValues(DirectoryClient& client, Context context, Buffer reply, int32_t syntax,
               const Check& check)
      : client_(client), context_(context), reply_(reply), syntax_(syntax), check_(check) {}
  // dsValueSize of the next value.
  int32_t SizeOfNext() {
    int32_t size = 0;
    check_(client_.dsValueSize(context_, reply_, syntax_, size));
    return size;
  }
  FetchedValue& Next() {
    value_ = NoValue{};
    check_(client_.dsNextValue(context_, reply_, syntax_, value_));
    return value_;
  }

 private:
  DirectoryClient& client_;
  Context context_;
  Buffer reply_;
  int32_t syntax_;
  const Check& check_;
  FetchedValue value_;
};

// The values of one attribute of a reply part as a direct read hands them over.
class HeldValues {
 public:
  HeldValues(std::span<FetchedValue> values, int32_t syntax) : values_(values), syntax_(syntax) {}
  int32_t SizeOfNext() const { return FetchedSize(syntax_, values_[next_]); }
  FetchedValue& Next() { return values_[next_++]; }

 private:
  std::span<FetchedValue> values_;
  int32_t syntax_;
  size_t next_ = 0;
};

// Hands each attribute of a direct read to onAttribute.
template <typename OnAttribute>
class AttributeSink final : public DirectReadSink {
 public:
  explicit AttributeSink(OnAttribute& onAttribute) : onAttribute_(onAttribute) {}
  void Attribute(int32_t syntax, std::span<FetchedValue> values) override {
    HeldValues held(values, syntax);
    onAttribute_(static_cast<int32_t>(values.size()), syntax, held);
  }

 private:
  OnAttribute& onAttribute_;
};

// The shared read protocol: a read request for one attribute, then each reply part in turn;
// onAttribute(valueCount, syntax, values) handles one attribute of a part, taking its values
// with values.SizeOfNext() and values.Next(). A client with a direct path is read through it,
// with the same results. Returns false when the object lacks the attribute (-603). A failed call
// raises the DirectoryError of a read.
template <typename OnAttribute>
bool ReadEntryParts(DirectoryClient& client, Context context, const std::string& object,
                    const std::string& attribute, OnAttribute onAttribute) {
  CheckReadNames(object, attribute);
  const auto check = [&](int32_t code) {
    if (code != kOk) {
      throw DirectoryError(code, object, attribute, ReadFailureDetail(client, code));
    }
  };
  AttributeSink sink(onAttribute);
  if (const std::optional<int32_t> r = client.ReadDirect(context, object, attribute, sink)) {
    if (*r == kErrNoSuchAttribute) return false;
    check(*r);
    return true;
  }
  ScopedBuffer reply(client), request(client);
  check(reply.Make(kBufferSize));
  check(request.Make(kBufferSize));
  check(client.dsBufferPrepare(context, kOpRead, request.get()));
  check(client.dsBufferAddName(context, request.get(), attribute));
  ScopedIteration iteration(client, context, kOpRead);
  do {
    int32_t r = client.dsReadEntry(context, object, kInfoNamesAndValues, kRequestedAttributesOnly,
                                   request.get(), iteration.handle(), reply.get());
    if (r == kErrNoSuchAttribute) {
      iteration.End();
      return false;
    }
    // Any other failure is reported with the read's own code rather than whatever the unfilled
    // reply would give.
    check(r);
    int32_t attributes = 0;
    check(client.dsAttrCount(context, reply.get(), attributes));
    for (int32_t a = 0; a < attributes; ++a) {
      std::string name;
      int32_t valueCount = 0, syntax = 0;
      check(client.dsNextAttr(context, reply.get(), name, valueCount, syntax));
      WalkedValues values(client, context, reply.get(), syntax, check);
      onAttribute(valueCount, syntax, values);
    }
  } while (iteration.open());
  return true;
}

}  // namespace

DirectoryError::DirectoryError(int32_t code, const std::string& serverText)
    : std::runtime_error(ErrorMessage(code) + (serverText.empty() ? "" : ": " + serverText)),
      code_(code) {}

DirectoryError::DirectoryError(int32_t code, const std::string& object,
                               const std::string& attribute, const std::string& detail)
    : std::runtime_error(ErrorMessage(code) + " reading \"" + attribute + "\" of \"" + object +
                         "\"" + (detail.empty() ? "" : ": " + detail)),
      code_(code),
      object_(object),
      attribute_(attribute) {}

DirectoryError::DirectoryError(const std::string& message, const DirectoryError& from)
    : std::runtime_error(message),
      code_(from.code_),
      object_(from.object_),
      attribute_(from.attribute_) {}

DirectoryError DirectoryError::Extended(const std::string& more) const {
  return DirectoryError(what() + more, *this);
}

void CheckDirectoryResult(int32_t code) {
  if (code != kOk) throw DirectoryError(code);
}

void CheckReadNames(const std::string& object, const std::string& attribute) {
  CheckLimit(object, kMaxObjectName, "Object name");
  CheckLimit(attribute, kMaxAttributeName, "Attribute name");
  // A row reads several attributes of one object in turn: the name last found sound is not
  // scanned again.
  thread_local std::string lastSound;
  if (object == lastSound) return;
  if (const std::string fault = DottedNameFault(object); !fault.empty()) {
    throw DirectoryArgumentError("Object name \"" + object + "\" is malformed: " + fault);
  }
  lastSound = object;
}

OpenContextResult OpenDirectoryContext(DirectoryClient& client, ContextOptions options) {
  OpenContextResult result;
  result.ok = true;
  try {
    Context context = kNoContext;
    CheckDirectoryResult(client.dsOpenContext(context));
    result.context = context;
    uint32_t flags = 0;
    CheckDirectoryResult(client.dsContextGet(context, kKeyFlags, flags));
    flags |= kFlagTypelessNames | kFlagCanonicalizeNames;
    if (!options.canonicalizeNames) flags &= ~kFlagCanonicalizeNames;
    if (!options.derefAliases) flags &= ~kFlagDerefAliases;
    CheckDirectoryResult(client.dsContextSet(context, kKeyFlags, flags));
    CheckDirectoryResult(client.dsContextSet(context, kKeyConfidence, 0));
    int32_t code = 0, handle = 0;
    client.clxQueryCode(code);
    client.clxOpenHandle(code, 0, 0, handle);
    client.dsContextSet(context, kKeyTransportHandle, static_cast<uint32_t>(handle));
  } catch (const DirectoryError&) {
    result.ok = false;
  }
  return result;
}

std::string ReadTreeName(DirectoryClient& client, Context context) {
  std::string name;
  CheckDirectoryResult(client.dsContextGet(context, kKeyTreeName, name));
  return name.substr(0, name.find('\0'));
}

NameList FindObjectsByName(DirectoryClient& client, Context context, const std::string& base,
                           const std::string& cls, const std::string& namingAttribute,
                           const std::string& pattern) {
  const std::string value = pattern + "*";
  CheckLimit(base, kMaxSearchBase, "Search base");
  CheckLimit(cls, kMaxFilterValue, "Class name");
  CheckLimit(namingAttribute, kMaxFilterValue, "Naming attribute");
  CheckLimit(value, kMaxFilterValue, "Name pattern");

  FilterCursor cursor = 0;
  CheckDirectoryResult(client.dsFilterNew(cursor));
  ScopedFilter filter(client, cursor);
  auto token = [&](int32_t code, const std::optional<std::string>& text, int32_t syntax) {
    CheckDirectoryResult(client.dsFilterToken(cursor, code, text, syntax));
  };
  if (!cls.empty()) {
    token(kTokBaseClass, std::nullopt, 0);
    token(kTokAttrName, cls, SYN_CLASS_NAME);
    token(kTokAnd, std::nullopt, 0);
  }
  token(kTokAttrName, namingAttribute, SYN_CI_STRING);
  token(kTokEqual, std::nullopt, 0);
  token(kTokValue, value, SYN_CI_STRING);
  token(kTokEnd, std::nullopt, 0);
  filter.Release();  // SearchObjects owns it from here

  return SearchObjects(client, context, base, cursor, kScopeSubtree, NameList{});
}

NameList SearchObjects(DirectoryClient& client, Context context, const std::string& base,
                       FilterCursor filterCursor, int32_t scope,
                       const NameList& requestedAttributes) {
  NameList result;
  ScopedFilter filter(client, filterCursor);
  ScopedBuffer reply(client), attributeList(client), filterBuffer(client);
  CheckDirectoryResult(reply.Make(kBufferSize));
  CheckDirectoryResult(attributeList.Make(kBufferSize));
  CheckDirectoryResult(filterBuffer.Make(kBufferSize));
  CheckDirectoryResult(client.dsBufferPrepare(context, kOpSearch, attributeList.get()));
  CheckDirectoryResult(client.dsBufferPrepare(context, kOpFilter, filterBuffer.get()));
  for (const NameEntry& entry : requestedAttributes) {
    CheckDirectoryResult(client.dsBufferAddName(context, attributeList.get(), entry.text));
  }
  CheckDirectoryResult(client.dsBufferAddFilter(context, filterBuffer.get(), filter.get(), 0));
  filter.Release();

  // A search that fails is an error, whatever part it fails in: on a live directory a refusal
  // taken for fewer names would pass for "no match".
  std::unordered_set<std::string> seen;  // case-folded names already listed
  ScopedIteration iteration(client, context, kOpSearch);
  do {
    const int32_t r =
        client.dsSearchTree(context, base, scope, kAliasesNotFollowed, filterBuffer.get(),
                            kInfoNamesAndValues, kRequestedAttributesOnly, attributeList.get(),
                            iteration.handle(), kNoTimeLimit, kNoCountLimit, reply.get());
    if (r != kOk) throw DirectoryError(r, client.LastFailureDetail());
    int32_t objects = 0;
    CheckDirectoryResult(client.dsObjectCount(context, reply.get(), objects));
    for (int32_t i = 0; i < objects; ++i) {
      std::string name;
      int32_t attributeCount = 0;
      ObjectInfo info;
      client.dsNextObject(context, reply.get(), name, attributeCount, info);
      if (seen.insert(platform::FoldCase(name)).second)
        result.push_back(NameEntry{std::move(name), {}});
    }
  } while (iteration.open());
  return result;
}

std::string ReadAttributeText(DirectoryClient& client, Context context, const std::string& object,
                              const std::string& attribute) {
  std::string text, piece;
  int32_t lastSyntax = -1;
  bool present = ReadEntryParts(
      client, context, object, attribute, [&](int32_t valueCount, int32_t syntax, auto& values) {
        lastSyntax = syntax;
        if (valueCount <= 0) return;
        const int32_t size = values.SizeOfNext();
        if (size < 0 || static_cast<size_t>(size) > kMaxTextValue) {
          throw DirectoryArgumentError("Value of \"" + attribute + "\" of \"" + object + "\" is " +
                                       std::to_string(size) + " bytes long; at most " +
                                       std::to_string(kMaxTextValue) + " are allowed");
        }
        if (!FetchedInTextRead(syntax)) return;
        for (int32_t v = 0; v < valueCount; ++v) {
          TextEffect effect = RenderForText(syntax, values.Next(), piece);
          if (effect == TextEffect::kAppend) text += piece;
          if (effect == TextEffect::kReplace) text.swap(piece);
        }
      });
  if (!present) return std::string();
  if (lastSyntax != SYN_OCTET_STRING) platform::TrimControlsInPlace(text);
  return text;
}

namespace {

// Reads the values of a list attribute, handing each entry they render to onEntry(NameEntry&&) as
// it is read. A -603 ends the read with what was handed out from earlier parts.
template <typename OnEntry>
void ReadListEntries(DirectoryClient& client, Context context, const std::string& object,
                     const std::string& attribute, char separator, OnEntry onEntry) {
  NameList rendered;  // those of one value
  ReadEntryParts(client, context, object, attribute,
                 [&](int32_t valueCount, int32_t syntax, auto& values) {
                   if (!FetchedInListRead(syntax)) return;
                   for (int32_t v = 0; v < valueCount; ++v) {
                     rendered.clear();
                     RenderForList(syntax, std::move(values.Next()), separator, rendered);
                     for (NameEntry& entry : rendered) onEntry(std::move(entry));
                   }
                 });
}

}  // namespace

NameList ReadAttributeList(DirectoryClient& client, Context context, const std::string& object,
                           const std::string& attribute, char separator) {
  NameList list;
  ReadListEntries(client, context, object, attribute, separator,
                  [&](NameEntry&& entry) { list.push_back(std::move(entry)); });
  return list;
}

std::vector<std::string> ReadAttributeTexts(DirectoryClient& client, Context context,
                                            const std::string& object, const std::string& attribute,
                                            char separator) {
  std::vector<std::string> texts;
  ReadListEntries(client, context, object, attribute, separator,
                  [&](NameEntry&& entry) { texts.push_back(std::move(entry.text)); });
  return texts;
}

int32_t ReadAttributeInteger(DirectoryClient& client, Context context, const std::string& object,
                             const std::string& attribute, int32_t defaultValue) {
  int32_t result = defaultValue;
  ReadEntryParts(client, context, object, attribute,
                 [&](int32_t valueCount, int32_t syntax, auto& values) {
                   if (syntax != SYN_INTEGER && syntax != SYN_COUNTER && syntax != SYN_TIME &&
                       syntax != SYN_INTERVAL) {
                     return;
                   }
                   for (int32_t v = 0; v < valueCount; ++v) {
                     result = ValueAs<WordValue>(values.Next()).word;
                   }
                 });
  return result;
}

}  // namespace vorlix::directory
