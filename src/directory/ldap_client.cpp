#include "directory/ldap_client.h"

#include <ldap.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <unordered_map>

#include "directory/directory_layer.h"
#include "directory/ldap_name_resolution.h"
#include "directory/ldap_read_ahead.h"
#include "directory/ldap_session.h"
#include "directory/value_conversion.h"
#include "platform/case_fold.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// The lower-cased base class of an entry.
std::string BaseClassOf(const SchemaNames& names, const LdapEntry& entry) {
  static const std::vector<std::string> kNone;
  const LdapAttribute* structural = entry.Find("structuralobjectclass");
  const LdapAttribute* classes = entry.Find("objectclass");
  return names.BaseClassOf(structural ? structural->values : kNone,
                           classes ? classes->values : kNone);
}

// The line that says why the client could not start: the client's error and the reason.
std::string FailureLine(const LdapFailure& failure) {
  return DirectoryError(failure.code, failure.message).what();
}

}  // namespace

struct LdapClient::State {
  explicit State(DirectorySource s) : source(std::move(s)) {
    // Every entry that arrives is remembered under its name.
    session.fetcher.keyOf = [this](const LdapEntry& entry) {
      const KnownName* known = session.book.RememberNew(entry.dn);
      return known ? std::string_view(known->key) : std::string_view();
    };
    session.fetcher.onArrival = [this](int step, const std::vector<const LdapEntry*>& entries) {
      readAhead.Arrived(step, entries);
    };
  }

  DirectorySource source;
  LdapSession session;
  NameResolution resolution{session};
  ReadAhead readAhead{session, resolution};
  bool started = false;
  std::string startupFailure;
  std::string treeName;

  // The values of one attribute in fetched layout; names shown as their entries spell them.
  int32_t Convert(const LdapAttribute& attribute, const std::string& key,
                  const std::string& entryKey, bool typed, ReadAttribute& out) {
    // The entry's own values, copied only to drop the empty name, which holds the place of the
    // member an empty group must have.
    const bool namesObjects = out.syntax == SYN_DIST_NAME;
    const std::vector<std::string>* shown = &attribute.values;
    std::vector<std::string> kept;
    if (namesObjects && std::count(shown->begin(), shown->end(), "") > 0) {
      kept = attribute.values;
      std::erase_if(kept, [](const std::string& t) { return t.empty(); });
      shown = &kept;
    }
    const std::vector<std::string>& texts = *shown;
    if (namesObjects) readAhead.QueueNamed(texts, entryKey, key);
    std::optional<LdapFailure> failure;
    const NameSpelling spell = [&](std::string_view dn, NameForm form) -> std::string {
      const KnownName* known = session.book.FindSpelling(dn);
      if (!known) {
        auto components = ParseLdapDn(dn, nullptr);
        if (!components || components->empty()) return std::string(dn);  // no name: as written
        const std::string nameKey = ComponentsKey(*components);
        const LdapEntry* named = nullptr;
        known = session.book.Find(nameKey);
        switch (known ? EntryFetcher::Status::kUnknown
                      : session.fetcher.GetByKey(nameKey, {}, named, session.deadline)) {
          case EntryFetcher::Status::kFetched:
            known = session.book.Remember(named->dn);
            break;
          case EntryFetcher::Status::kFailed:
            failure = session.fetcher.failure();
            break;
          default:
            break;
        }
        if (!known) return DottedName(*components, form);  // no such entry: as written
      }
      return form == NameForm::kTyped ? WrittenNameSpelling(known->dn, form)
                                      : std::string(known->dotted);
    };
    // Windows times become seconds since 1970 first.
    const bool windowsTime = out.syntax == SYN_TIME && session.names.HoldsWindowsTime(key);
    for (const std::string& text : texts) {
      std::optional<FetchedValue> value;
      if (!windowsTime) {
        value = ConvertValue(out.syntax, text, NameFormOf(typed), spell);
      } else if (const std::optional<int64_t> seconds = ParseWindowsTime(text)) {
        value = ConvertValue(out.syntax, std::to_string(*seconds), NameFormOf(typed), spell);
      }
      if (failure) return session.Failed(*failure);
      if (!value) {
        session.last =
            LdapFailure{kErrSyntaxViolation, "The value \"" + text + "\" of " + attribute.name +
                                                 " does not fit its syntax"};
        return kErrSyntaxViolation;
      }
      out.values.push_back(std::move(*value));
    }
    return kOk;
  }
};

LdapClient::LdapClient(DirectorySource source)
    : state_(std::make_unique<State>(std::move(source))) {}

LdapClient::~LdapClient() = default;

// ---- start and stop ----------------------------------------------------------------------

int32_t LdapClient::calStartup(int32_t, int32_t) {
  State& s = *state_;
  if (s.started) return kOk;
  // A server that drops the connection must not end the program through SIGPIPE.
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    std::signal(SIGPIPE, SIG_IGN);
  }
  std::string error;
  auto address = ParseLdapAddress(s.source.source, &error);
  if (!address) {
    s.startupFailure = error;
    return kErrClientNotStarted;
  }
  LdapSettings settings;
  settings.address = *address;
  settings.startTls = s.source.startTls;
  settings.timeout =
      std::chrono::seconds(s.source.timeoutSeconds > 0 ? s.source.timeoutSeconds : 10);
  settings.bindDn = s.source.bindDn;
  settings.password = s.source.password;
  settings.bind = s.source.bind;
  settings.tlsVerify = s.source.tlsVerify;
  if (!s.session.connection.Open(settings)) {
    s.startupFailure = FailureLine(s.session.connection.failure());
    return kErrClientNotStarted;
  }

  LdapEntry root;
  int resultCode = LDAP_SUCCESS;
  s.session.deadline = s.session.connection.NewDeadline();  // the root DSE and the schema
  if (s.resolution.ReadOne("", {"directorytreename", "subschemasubentry", "namingcontexts"}, root,
                           resultCode) != kOk) {
    s.startupFailure = FailureLine(s.session.last);
    return kErrClientNotStarted;
  }
  if (const LdapAttribute* subschema = root.Find("subschemasubentry");
      subschema && !subschema->values.empty()) {
    LdapEntry schema;
    if (s.resolution.ReadOne(subschema->values.front(), {"attributetypes", "objectclasses"}, schema,
                             resultCode) != kOk) {
      s.startupFailure = FailureLine(s.session.last);
      return kErrClientNotStarted;
    }
    // A schema the server does not show leaves the naming rule and the built-in syntaxes.
    if (const LdapAttribute* types = schema.Find("attributetypes")) {
      for (const std::string& definition : types->values)
        s.session.names.AddAttributeType(definition);
    }
    if (const LdapAttribute* classes = schema.Find("objectclasses")) {
      for (const std::string& definition : classes->values)
        s.session.names.AddObjectClass(definition);
    }
  }
  for (const auto& [program, ldap] : s.source.names) s.session.names.SetOverride(program, ldap);
  s.session.keys.clear();

  std::vector<std::string> contexts;
  if (const LdapAttribute* nc = root.Find("namingcontexts")) contexts = nc->values;
  s.session.connection.SetNamingContexts(contexts);
  const std::string base = !address->base.empty() ? address->base : s.source.base;
  s.session.roots = !base.empty() ? std::vector<std::string>{base} : contexts;
  s.session.book = NameBook(s.session.roots.size() == 1 ? s.session.roots.front() : "");
  s.treeName.clear();
  if (const LdapAttribute* tree = root.Find("directorytreename"); tree && !tree->values.empty()) {
    s.treeName = tree->values.front();
  } else if (s.session.roots.size() == 1) {
    s.treeName = s.session.roots.front();
  }
  s.startupFailure.clear();
  s.started = true;
  return kOk;
}

int32_t LdapClient::calShutdown(int32_t) {
  State& s = *state_;
  s.readAhead.Clear();
  s.session.connection.Close();
  s.session.book.Clear();
  ClearHandles();
  s.started = false;
  return kOk;
}

std::string LdapClient::StartupFailureReason() const {
  return state_->startupFailure;
}

bool LdapClient::Started() const {
  return state_->started;
}

int32_t LdapClient::TreeName(std::string& name) {
  name = state_->treeName;
  return kOk;
}

const SchemaNames& LdapClient::Names() const {
  return state_->session.names;
}

std::vector<std::string> LdapClient::TakeNotices() {
  return state_->session.connection.TakeNotices();
}

std::string LdapClient::LastFailureDetail() const {
  return state_->session.last.message;
}

size_t LdapClient::RequestsSent() const {
  return state_->session.connection.RequestsSent();
}

// ---- read-ahead --------------------------------------------------------------------------

void LdapClient::dsReadAhead(Context, const ReadAheadPlan& plan) {
  State& s = *state_;
  s.readAhead.Clear();
  if (s.started) s.readAhead.Start(plan);
}

void LdapClient::ContextClosed(Context) {
  state_->readAhead.Clear();
}

// ---- reads and searches ------------------------------------------------------------------

int32_t LdapClient::ReadObject(const std::string& object, bool allAttributes,
                               const std::vector<std::string>& names, bool typed,
                               std::vector<ReadAttribute>& attributes) {
  State& s = *state_;
  s.session.last = LdapFailure{};
  s.session.deadline = s.session.connection.NewDeadline();
  std::vector<std::string> keys;
  for (const std::string& name : names) keys.push_back(s.session.KeyOf(name));
  LdapEntry direct;
  const LdapEntry* entry = nullptr;
  std::string entryKey;
  if (const int32_t r =
          s.readAhead.PlannedEntryOf(object, keys, allAttributes, direct, entry, entryKey);
      r != kOk) {
    return r;
  }

  auto add = [&](const LdapAttribute& attribute, const std::string& shownName,
                 const std::string& key) -> int32_t {
    ReadAttribute read;
    read.name = shownName;
    read.syntax = s.session.names.SyntaxOf(key);
    if (const int32_t r = s.Convert(attribute, key, entryKey, typed, read); r != kOk) return r;
    if (!read.values.empty()) attributes.push_back(std::move(read));
    return kOk;
  };
  if (allAttributes) {
    for (const LdapAttribute& attribute : entry->attributes) {
      const std::string key = s.session.names.CanonicalKey(attribute.key);
      if (const int32_t r = add(attribute, LowerCase(attribute.name), key); r != kOk) return r;
    }
    return kOk;
  }
  // Converting may fetch more entries; this one stays where it is meanwhile.
  for (size_t i = 0; i < names.size(); ++i) {
    if (const LdapAttribute* attribute = s.session.FindAttribute(*entry, keys[i])) {
      if (const int32_t r = add(*attribute, names[i], keys[i]); r != kOk) return r;
    }
  }
  return kOk;
}

int32_t LdapClient::FindObjects(const std::string& base, int32_t scope, const SearchFilter& filter,
                                bool typed, std::vector<FoundObject>& found) {
  State& s = *state_;
  s.session.last = LdapFailure{};
  s.session.deadline = s.session.connection.NewDeadline();
  LdapSearch search;
  search.filter = filter.ToLdapFilter(
      s.session.names, [&](const std::string& dotted) { return s.session.book.DnOf(dotted); });
  if (search.filter.empty()) {
    return s.session.Failed(
        LdapFailure{kErrInvalidRequest,
                    "The search cannot be put to the server: a name it asks for is no "
                    "LDAP attribute name (see [NAMES] and the server's schema)"});
  }
  search.attributes = {"objectclass", "structuralobjectclass"};
  std::vector<std::string> bases;
  if (base == kRootName) {
    // The whole tree: below the base, or below every naming context.
    if (scope == kScopeEntry) return kOk;
    bases = s.session.roots;
    search.scope = scope == kScopeSubtree ? LDAP_SCOPE_SUBTREE : LDAP_SCOPE_BASE;
  } else {
    const KnownName* known = s.session.book.FindDotted(base);
    bases = known ? std::vector<std::string>{std::string(known->dn)} : s.session.book.Guesses(base);
    search.scope = scope;
  }
  const std::optional<std::string> required = filter.RequiredClass();
  for (size_t i = 0; i < bases.size(); ++i) {
    search.base = bases[i];
    std::vector<LdapEntry> entries;
    if (!s.session.connection.SearchAll(search, entries, s.session.deadline)) {
      // A base that is not where it was looked for: the next spelling, then level by level.
      if (base != kRootName && s.session.connection.failure().code == kErrNoSuchEntry) {
        if (i + 1 == bases.size()) {
          std::string walked;
          if (s.resolution.Walk(base, walked) == kOk) bases.push_back(walked);
        }
        continue;
      }
      return s.session.Failed(s.session.connection.failure());
    }
    for (const LdapEntry& entry : entries) {
      s.session.book.Remember(entry.dn);
      const std::string baseClass = BaseClassOf(s.session.names, entry);
      if (required && baseClass != *required) continue;  // a subclass matched objectClass
      found.push_back(FoundObject{WrittenNameSpelling(entry.dn, NameFormOf(typed)),
                                  s.session.names.ProgramClassName(baseClass)});
    }
    if (base != kRootName) return kOk;
  }
  return base == kRootName ? kOk : kErrNoSuchEntry;
}

}  // namespace vorlix::directory
