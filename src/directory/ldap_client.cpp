#include "directory/ldap_client.h"

#include <ldap.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <unordered_map>

#include "directory/directory_layer.h"
#include "directory/entry_fetcher.h"
#include "directory/ldap_connection.h"
#include "directory/ldap_filter.h"
#include "directory/ldap_names.h"
#include "directory/value_conversion.h"
#include "platform/case_fold.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

// Naming attributes tried when a name has to be found level by level.
constexpr const char* kNamingTypes[] = {"cn", "ou", "o", "l", "dc", "uid", "c", "st"};

// The lower-cased base class of an entry.
std::string BaseClassOf(const SchemaNames& names, const LdapEntry& entry) {
  static const std::vector<std::string> kNone;
  const LdapAttribute* structural = entry.Find("structuralobjectclass");
  const LdapAttribute* classes = entry.Find("objectclass");
  return names.BaseClassOf(structural ? structural->values : kNone,
                           classes ? classes->values : kNone);
}

bool Covers(const std::vector<std::string>& have, const std::vector<std::string>& wanted) {
  return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& k) {
    return std::find(have.begin(), have.end(), k) != have.end();
  });
}

std::string DottedOf(const std::string& dn, bool typed) {
  return WrittenNameSpelling(dn, typed);
}

// The line that says why the client could not start: the client's error and the reason.
std::string FailureLine(const LdapFailure& failure) {
  return std::string(DirectoryError(failure.code).what()) + ": " + failure.message;
}

struct PlanState {
  struct Step {
    std::vector<std::string> keys;
    std::string follow;
  };
  std::string object;     // the object whose list names the members, as the plan names it
  std::string objectKey;  // its name key
  std::string listKey;
  std::vector<std::string> objectKeys;  // what is read of the object: the list and the others
  std::vector<Step> steps;
  bool started = false;  // the members have been queued
  // The object's entry as its first read brought it, for the reads of it that follow.
  std::unique_ptr<LdapEntry> objectEntry;
  std::string objectEntryKey;
  std::vector<std::string> objectEntryKeys;  // the attributes it was read with
};

}  // namespace

struct LdapClient::State {
  explicit State(DirectorySource s) : source(std::move(s)) {
    // Every entry that arrives is remembered under its name.
    fetcher.keyOf = [this](const LdapEntry& entry) {
      const KnownName* known = book.RememberNew(entry.dn);
      return known ? std::string_view(known->key) : std::string_view();
    };
    fetcher.onArrival = [this](int step, const std::vector<const LdapEntry*>& entries) {
      Arrived(step, entries);
    };
  }

  DirectorySource source;
  LdapConnection connection;
  EntryFetcher fetcher{connection};
  SchemaNames names;
  NameBook book;
  bool started = false;
  std::string startupFailure;
  std::string treeName;
  std::vector<std::string> roots;  // what "[root]" stands for: the base, or the naming contexts
  std::optional<PlanState> plan;
  LdapFailure last;   // the failure behind the last error code handed out
  Deadline deadline;  // of the operation under way

  int32_t Failed(const LdapFailure& failure) {
    last = failure;
    return failure.code;
  }

  // The lower-cased LDAP name, under the schema's first name, of a program's attribute name.
  // The program asks for the same few names again and again: each is mapped once.
  const std::string& KeyOf(const std::string& programName) {
    auto known = keys.find(programName);
    if (known == keys.end()) {
      known = keys.emplace(programName, names.CanonicalKey(names.AttributeKey(programName))).first;
    }
    return known->second;
  }
  std::unordered_map<std::string, std::string> keys;  // program name -> key

  const LdapAttribute* FindAttribute(const LdapEntry& entry, const std::string& key) const {
    for (const LdapAttribute& a : entry.attributes) {
      if (a.key == key) return &a;
    }
    for (const LdapAttribute& a : entry.attributes) {  // under another of its names
      if (names.CanonicalKey(a.key) == key) return &a;
    }
    return nullptr;
  }

  // Reads one entry alone. kOk with the server's result code, or the client code of a failure.
  int32_t ReadOne(const std::string& dn, const std::vector<std::string>& attributes,
                  LdapEntry& entry, int& resultCode) {
    LdapSearch search;
    search.base = dn;
    search.attributes = attributes;
    const int id = connection.Send(search);
    LdapResult result;
    if (id < 0 || !connection.Collect(id, result, deadline, 1)) return Failed(connection.failure());
    if (result.truncated) {
      return Failed(LdapFailure{kErrRemoteFailure,
                                "Reading " + dn + ": the server sent more than one entry for it"});
    }
    resultCode = result.resultCode;
    if (resultCode == LDAP_SUCCESS && result.entries.empty()) resultCode = LDAP_NO_SUCH_OBJECT;
    if (!result.entries.empty()) entry = std::move(result.entries.front());
    if (resultCode == LDAP_REFERRAL) {
      last = LdapFailure{ClientCodeOfLdapResult(resultCode),
                         "Reading " + dn + ": the server refers it to " +
                             ReferredTo(result.referrals) + "; referrals are not followed"};
    } else if (resultCode != LDAP_SUCCESS && resultCode != LDAP_NO_SUCH_OBJECT) {
      last = LdapFailure{ClientCodeOfLdapResult(resultCode),
                         "Reading " + dn + ": " + ldap_err2string(resultCode) +
                             (result.diagnostic.empty() ? "" : ": " + result.diagnostic)};
    }
    return kOk;
  }

  // The DN of a dotted name found level by level below the base (or a naming context) it ends
  // in; kErrNoSuchEntry when there is none.
  int32_t Walk(const std::string& dotted, std::string& dn) {
    const std::vector<std::string> raw = SplitDottedName(dotted, false);
    size_t next = raw.size();  // components left of this one are still to be found
    for (const std::string& root : roots) {
      auto components = ParseLdapDn(root, nullptr);
      if (!components || components->empty() || components->size() > raw.size()) continue;
      bool ends = true;
      for (size_t i = 0; i < components->size(); ++i) {
        const std::string& value = raw[raw.size() - components->size() + i];
        ends = ends && platform::EqualFolded(value, (*components)[i].value);
      }
      if (ends) {
        dn = root;
        next = raw.size() - components->size();
        break;
      }
    }
    if (next == raw.size()) return kErrNoSuchEntry;
    while (next > 0) {
      const std::string& value = raw[--next];
      std::string filter = "(|";
      for (const char* type : kNamingTypes) {
        filter += std::string("(") + type + "=" + EscapeFilterValue(value, false) + ")";
      }
      std::vector<LdapEntry> children;
      // A list cut short (a referral beside the child, a limit) still serves if it holds the child.
      std::optional<LdapFailure> cutShort;
      if (!connection.SearchAll(LdapSearch{dn, LDAP_SCOPE_ONELEVEL, filter + ")", {"1.1"}},
                                children, deadline)) {
        if (connection.failure().code == kErrNoSuchEntry) return kErrNoSuchEntry;
        if (connection.failure().code != kErrListIncomplete) return Failed(connection.failure());
        cutShort = connection.failure();
      }
      bool found = false;
      for (const LdapEntry& child : children) {
        book.Remember(child.dn);
        auto components = ParseLdapDn(child.dn, nullptr);
        if (!found && components && !components->empty() &&
            platform::EqualFolded(components->front().value, value)) {
          dn = child.dn;
          found = true;
        }
      }
      if (!found) return cutShort ? Failed(*cutShort) : kErrNoSuchEntry;
    }
    return kOk;
  }

  // The entry of a dotted name with (at least) the attributes keys (all of them with all):
  // fetched ahead, else read alone under each DN the name may stand for, else found level by level.
  int32_t EntryOf(const std::string& object, const std::vector<std::string>& keys, bool all,
                  LdapEntry& direct, const LdapEntry*& entry, std::string& entryKey) {
    const KnownName* known = book.FindDotted(object);
    std::vector<std::string> candidates =
        known ? std::vector<std::string>{std::string(known->dn)} : book.Guesses(object);
    bool guessed = known == nullptr, walked = false;
    for (size_t i = 0;; ++i) {
      if (i == candidates.size() && !guessed) {  // the remembered entry is gone
        guessed = true;
        for (std::string& guess : book.Guesses(object)) candidates.push_back(std::move(guess));
      }
      if (i == candidates.size() && !walked) {  // the name was not where it was looked for
        walked = true;
        std::string dn;
        const int32_t r = Walk(object, dn);
        if (r != kOk) return r;
        candidates.push_back(dn);
      }
      if (i == candidates.size()) return kErrNoSuchEntry;
      const std::string& dn = candidates[i];
      const auto key = i == 0 && known ? std::optional<std::string>(known->key) : DnKey(dn);
      if (!all && key) {
        switch (fetcher.GetByKey(*key, keys, entry, deadline)) {
          case EntryFetcher::Status::kFetched:
            entryKey = *key;  // remembered when its batch arrived
            return kOk;
          case EntryFetcher::Status::kFailed:
            return Failed(fetcher.failure());
          default:
            break;
        }
      }
      int resultCode = LDAP_SUCCESS;
      const std::vector<std::string> request = all            ? std::vector<std::string>{}
                                               : keys.empty() ? std::vector<std::string>{"1.1"}
                                                              : keys;
      if (const int32_t r = ReadOne(dn, request, direct, resultCode); r != kOk) return r;
      if (resultCode == LDAP_SUCCESS) {
        entry = &direct;
        book.Remember(direct.dn, &entryKey);
        return kOk;
      }
      if (resultCode != LDAP_NO_SUCH_OBJECT) return last.code;
    }
  }

  // EntryOf, where the read is of the object of the plan: its first read brings what the plan
  // reads of it, and the reads that follow take that entry instead of asking again.
  int32_t PlannedEntryOf(const std::string& object, const std::vector<std::string>& keys, bool all,
                         LdapEntry& direct, const LdapEntry*& entry, std::string& entryKey) {
    if (all || !plan || object != plan->object) {
      return EntryOf(object, keys, all, direct, entry, entryKey);
    }
    if (plan->objectEntry && Covers(plan->objectEntryKeys, keys)) {
      entry = plan->objectEntry.get();
      entryKey = plan->objectEntryKey;
      return kOk;
    }
    std::vector<std::string> request = keys;
    for (const std::string& key : plan->objectKeys) {
      if (std::find(request.begin(), request.end(), key) == request.end()) request.push_back(key);
    }
    const int32_t r = EntryOf(object, request, all, direct, entry, entryKey);
    if (r != kOk) return r;
    if (entry == &direct) {
      plan->objectEntry = std::make_unique<LdapEntry>(std::move(direct));
      plan->objectEntryKey = entryKey;
      plan->objectEntryKeys = std::move(request);
      entry = plan->objectEntry.get();
    }
    return kOk;
  }

  // Queues the entries that the name values of the list attribute key of the entry named
  // entryKey name: with the plan's first attributes when this is the plan's list, else for their
  // names alone (as far as they are neither known nor queued yet).
  void QueueNamed(const std::vector<std::string>& values, const std::string& entryKey,
                  const std::string& key) {
    if (plan && !plan->started && plan->objectKey == entryKey && plan->listKey == key) {
      plan->started = true;
      fetcher.Want(values, plan->steps.front().keys, 0);
      return;
    }
    std::vector<std::string> unknown;
    for (const std::string& value : values) {
      if (!book.FindDn(value)) unknown.push_back(value);
    }
    fetcher.Want(unknown, {}, -1);
  }

  // Entries of a step arrived: where the plan follows an attribute from the step, the objects that
  // attribute names are queued for the next step.
  void Arrived(int step, const std::vector<const LdapEntry*>& entries) {
    if (!plan || step < 0 || static_cast<size_t>(step) + 1 >= plan->steps.size()) return;
    const std::string& follow = plan->steps[static_cast<size_t>(step)].follow;
    if (follow.empty()) return;
    const bool isName = names.SyntaxOf(follow) == SYN_DIST_NAME;
    std::vector<std::string> next;
    for (const LdapEntry* entry : entries) {
      const LdapAttribute* attribute = FindAttribute(*entry, follow);
      // Several values run together in the text read, which names no object.
      if (!attribute || attribute->values.size() != 1) continue;
      if (isName) {
        if (!attribute->values.front().empty()) next.push_back(attribute->values.front());
      } else if (const std::string text = platform::TrimControls(attribute->values.front());
                 !text.empty()) {
        next.push_back(book.DnOf(text));
      }
    }
    fetcher.Want(next, plan->steps[static_cast<size_t>(step) + 1].keys, step + 1);
  }

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
    if (namesObjects) QueueNamed(texts, entryKey, key);
    std::optional<LdapFailure> failure;
    const NameSpelling spell = [&](std::string_view dn, bool typedName) -> std::string {
      const KnownName* known = book.FindSpelling(dn);
      if (!known) {
        auto components = ParseLdapDn(dn, nullptr);
        if (!components || components->empty()) return std::string(dn);  // no name: as written
        const std::string nameKey = ComponentsKey(*components);
        const LdapEntry* named = nullptr;
        known = book.Find(nameKey);
        switch (known ? EntryFetcher::Status::kUnknown
                      : fetcher.GetByKey(nameKey, {}, named, deadline)) {
          case EntryFetcher::Status::kFetched:
            known = book.Remember(named->dn);
            break;
          case EntryFetcher::Status::kFailed:
            failure = fetcher.failure();
            break;
          default:
            break;
        }
        if (!known) return DottedName(*components, typedName);  // no such entry: as written
      }
      return typedName ? DottedOf(std::string(known->dn), true) : std::string(known->dotted);
    };
    // Windows times become seconds since 1970 first.
    const bool windowsTime = out.syntax == SYN_TIME && names.HoldsWindowsTime(key);
    for (const std::string& text : texts) {
      std::optional<FetchedValue> value;
      if (!windowsTime) {
        value = ConvertValue(out.syntax, text, typed, spell);
      } else if (const std::optional<int64_t> seconds = ParseWindowsTime(text)) {
        value = ConvertValue(out.syntax, std::to_string(*seconds), typed, spell);
      }
      if (failure) return Failed(*failure);
      if (!value) {
        last = LdapFailure{kErrSyntaxViolation, "The value \"" + text + "\" of " + attribute.name +
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
  if (!s.connection.Open(settings)) {
    s.startupFailure = FailureLine(s.connection.failure());
    return kErrClientNotStarted;
  }

  LdapEntry root;
  int resultCode = LDAP_SUCCESS;
  s.deadline = s.connection.NewDeadline();  // the root DSE and the schema
  if (s.ReadOne("", {"directorytreename", "subschemasubentry", "namingcontexts"}, root,
                resultCode) != kOk) {
    s.startupFailure = FailureLine(s.last);
    return kErrClientNotStarted;
  }
  if (const LdapAttribute* subschema = root.Find("subschemasubentry");
      subschema && !subschema->values.empty()) {
    LdapEntry schema;
    if (s.ReadOne(subschema->values.front(), {"attributetypes", "objectclasses"}, schema,
                  resultCode) != kOk) {
      s.startupFailure = FailureLine(s.last);
      return kErrClientNotStarted;
    }
    // A schema the server does not show leaves the naming rule and the built-in syntaxes.
    if (const LdapAttribute* types = schema.Find("attributetypes")) {
      for (const std::string& definition : types->values) s.names.AddAttributeType(definition);
    }
    if (const LdapAttribute* classes = schema.Find("objectclasses")) {
      for (const std::string& definition : classes->values) s.names.AddObjectClass(definition);
    }
  }
  for (const auto& [program, ldap] : s.source.names) s.names.SetOverride(program, ldap);
  s.keys.clear();

  std::vector<std::string> contexts;
  if (const LdapAttribute* nc = root.Find("namingcontexts")) contexts = nc->values;
  s.connection.SetNamingContexts(contexts);
  const std::string base = !address->base.empty() ? address->base : s.source.base;
  s.roots = !base.empty() ? std::vector<std::string>{base} : contexts;
  s.book = NameBook(s.roots.size() == 1 ? s.roots.front() : "");
  s.treeName.clear();
  if (const LdapAttribute* tree = root.Find("directorytreename"); tree && !tree->values.empty()) {
    s.treeName = tree->values.front();
  } else if (s.roots.size() == 1) {
    s.treeName = s.roots.front();
  }
  s.startupFailure.clear();
  s.started = true;
  return kOk;
}

int32_t LdapClient::calShutdown(int32_t) {
  State& s = *state_;
  s.fetcher.Clear();
  s.plan.reset();
  s.connection.Close();
  s.book.Clear();
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
  return state_->names;
}

std::vector<std::string> LdapClient::TakeNotices() {
  return state_->connection.TakeNotices();
}

std::string LdapClient::LastFailureDetail() const {
  return state_->last.message;
}

size_t LdapClient::RequestsSent() const {
  return state_->connection.RequestsSent();
}

// ---- read-ahead --------------------------------------------------------------------------

void LdapClient::dsReadAhead(Context, const ReadAheadPlan& plan) {
  State& s = *state_;
  s.fetcher.Clear();
  s.plan.reset();
  if (!s.started || plan.steps.empty()) return;
  auto key = DnKey(s.book.DnOf(plan.object));
  if (!key) return;
  PlanState p;
  p.object = plan.object;
  p.objectKey = *key;
  p.listKey = s.KeyOf(plan.listAttribute);
  p.objectKeys.push_back(p.listKey);
  for (const std::string& attribute : plan.objectAttributes) {
    const std::string& k = s.KeyOf(attribute);
    if (std::find(p.objectKeys.begin(), p.objectKeys.end(), k) == p.objectKeys.end()) {
      p.objectKeys.push_back(k);
    }
  }
  for (const ReadAheadStep& step : plan.steps) {
    PlanState::Step mapped;
    for (const std::string& attribute : step.attributes) mapped.keys.push_back(s.KeyOf(attribute));
    if (!step.follow.empty()) mapped.follow = s.KeyOf(step.follow);
    p.steps.push_back(std::move(mapped));
  }
  s.plan = std::move(p);
}

void LdapClient::ContextClosed(Context) {
  state_->fetcher.Clear();
  state_->plan.reset();
}

// ---- reads and searches ------------------------------------------------------------------

int32_t LdapClient::ReadObject(const std::string& object, bool allAttributes,
                               const std::vector<std::string>& names, bool typed,
                               std::vector<ReadAttribute>& attributes) {
  State& s = *state_;
  s.last = LdapFailure{};
  s.deadline = s.connection.NewDeadline();
  std::vector<std::string> keys;
  for (const std::string& name : names) keys.push_back(s.KeyOf(name));
  LdapEntry direct;
  const LdapEntry* entry = nullptr;
  std::string entryKey;
  if (const int32_t r = s.PlannedEntryOf(object, keys, allAttributes, direct, entry, entryKey);
      r != kOk) {
    return r;
  }

  auto add = [&](const LdapAttribute& attribute, const std::string& shownName,
                 const std::string& key) -> int32_t {
    ReadAttribute read;
    read.name = shownName;
    read.syntax = s.names.SyntaxOf(key);
    if (const int32_t r = s.Convert(attribute, key, entryKey, typed, read); r != kOk) return r;
    if (!read.values.empty()) attributes.push_back(std::move(read));
    return kOk;
  };
  if (allAttributes) {
    for (const LdapAttribute& attribute : entry->attributes) {
      const std::string key = s.names.CanonicalKey(attribute.key);
      if (const int32_t r = add(attribute, LowerCase(attribute.name), key); r != kOk) return r;
    }
    return kOk;
  }
  // Converting may fetch more entries; this one stays where it is meanwhile.
  for (size_t i = 0; i < names.size(); ++i) {
    if (const LdapAttribute* attribute = s.FindAttribute(*entry, keys[i])) {
      if (const int32_t r = add(*attribute, names[i], keys[i]); r != kOk) return r;
    }
  }
  return kOk;
}

int32_t LdapClient::FindObjects(const std::string& base, int32_t scope, const SearchFilter& filter,
                                bool typed, std::vector<FoundObject>& found) {
  State& s = *state_;
  s.last = LdapFailure{};
  s.deadline = s.connection.NewDeadline();
  LdapSearch search;
  search.filter =
      filter.ToLdapFilter(s.names, [&](const std::string& dotted) { return s.book.DnOf(dotted); });
  if (search.filter.empty()) {
    return s.Failed(LdapFailure{kErrInvalidRequest,
                                "The search cannot be put to the server: a name it asks for is no "
                                "LDAP attribute name (see [NAMES] and the server's schema)"});
  }
  search.attributes = {"objectclass", "structuralobjectclass"};
  std::vector<std::string> bases;
  if (base == kRootName) {
    // The whole tree: below the base, or below every naming context.
    if (scope == kScopeEntry) return kOk;
    bases = s.roots;
    search.scope = scope == kScopeSubtree ? LDAP_SCOPE_SUBTREE : LDAP_SCOPE_BASE;
  } else {
    const KnownName* known = s.book.FindDotted(base);
    bases = known ? std::vector<std::string>{std::string(known->dn)} : s.book.Guesses(base);
    search.scope = scope;
  }
  const std::optional<std::string> required = filter.RequiredClass();
  for (size_t i = 0; i < bases.size(); ++i) {
    search.base = bases[i];
    std::vector<LdapEntry> entries;
    if (!s.connection.SearchAll(search, entries, s.deadline)) {
      // A base that is not where it was looked for: the next spelling, then level by level.
      if (base != kRootName && s.connection.failure().code == kErrNoSuchEntry) {
        if (i + 1 == bases.size()) {
          std::string walked;
          if (s.Walk(base, walked) == kOk) bases.push_back(walked);
        }
        continue;
      }
      return s.Failed(s.connection.failure());
    }
    for (const LdapEntry& entry : entries) {
      s.book.Remember(entry.dn);
      const std::string baseClass = BaseClassOf(s.names, entry);
      if (required && baseClass != *required) continue;  // a subclass matched objectClass
      found.push_back(FoundObject{DottedOf(entry.dn, typed), s.names.ProgramClassName(baseClass)});
    }
    if (base != kRootName) return kOk;
  }
  return base == kRootName ? kOk : kErrNoSuchEntry;
}

}  // namespace vorlix::directory
