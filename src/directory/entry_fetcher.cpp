#include "directory/entry_fetcher.h"

#include <algorithm>

#include "directory/client_codes.h"
#include "directory/dotted_name.h"
#include "directory/ldap_names.h"

namespace vorlix::directory {

namespace {

constexpr int kScopeBase = 0;
constexpr int kLdapSuccess = 0;

bool Covers(const std::vector<std::string>& fetched, const std::vector<std::string>& wanted) {
  return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& a) {
    return std::find(fetched.begin(), fetched.end(), a) != fetched.end();
  });
}

// What a request for entries with attributes asks for: "1.1" for their names only.
std::vector<std::string> Requested(const std::vector<std::string>& attributes) {
  return attributes.empty() ? std::vector<std::string>{"1.1"} : attributes;
}

}  // namespace

EntryFetcher::Slot* EntryFetcher::FindSlot(Record& record, size_t group) {
  for (Slot& slot : record.slots) {
    if (slot.group == group) return &slot;
  }
  return nullptr;
}

bool EntryFetcher::HasWanted(const Record& record) {
  return std::any_of(record.slots.begin(), record.slots.end(),
                     [](const Slot& slot) { return slot.wanted; });
}

size_t EntryFetcher::GroupOf(const std::string& parentKey, const std::string& parentDn,
                             const std::vector<std::string>& attributes) {
  std::string id = parentKey;
  for (const std::string& a : attributes) id += '\x1f' + a;
  const auto [at, added] = groupIndex_.emplace(std::move(id), groups_.size());
  if (added) {
    Group& group = groups_.emplace_back();
    group.parentDn = parentDn;
    group.attributes = attributes;
    // An entry at the top has no container to search.
    if (parentDn.empty()) group.scan = Scan::kGivenUp;
  }
  return at->second;
}

std::string_view EntryFetcher::KeyOf(const LdapEntry& entry) const {
  if (keyOf) return keyOf(entry);
  defaultKey_ = DnKey(entry.dn).value_or(entry.dn);
  return defaultKey_;
}

EntryFetcher::Record& EntryFetcher::RecordOf(std::string_view key) {
  auto found = records_.find(key);
  if (found == records_.end()) {
    found = records_.emplace(names_.Copy(key), &recordStore_.emplace_back()).first;
  }
  return *found->second;
}

void EntryFetcher::Want(const std::vector<std::string>& dns,
                        const std::vector<std::string>& attributes, int step) {
  Arrivals arrivals;
  std::vector<size_t> touched;
  // Names of one container mostly come together: its group is worked out once for them.
  std::vector<NameComponent> lastParent;
  size_t group = 0;
  for (const std::string& dn : dns) {
    auto components = ParseLdapDn(dn, nullptr);
    if (!components || components->empty()) continue;
    Record& record = RecordOf(ComponentsKey(*components));
    if (attributes.empty() && HasWanted(record)) continue;  // any fetch gives the name
    const bool sameParent =
        !touched.empty() &&
        std::equal(components->begin() + 1, components->end(), lastParent.begin(), lastParent.end(),
                   [](const NameComponent& a, const NameComponent& b) {
                     return a.type == b.type && a.value == b.value;
                   });
    if (!sameParent) {
      lastParent.assign(components->begin() + 1, components->end());
      group = GroupOf(ComponentsKey(lastParent), LdapDnString(lastParent), attributes);
    }
    if (touched.empty() || touched.back() != group) touched.push_back(group);
    Group& g = groups_[group];
    if (Slot* known = FindSlot(record, group)) {
      if (!known->wanted) {  // come with a scan before anybody wanted it
        known->wanted = true;
        known->dn = names_.Copy(dn);
        g.wanted.push_back(&record);
      }
      if (std::find(known->steps.begin(), known->steps.end(), step) == known->steps.end()) {
        known->steps.push_back(step);
        if (known->state == SlotState::kFetched) arrivals[step].push_back(known->entry);
      }
      continue;
    }
    Slot slot;
    slot.group = group;
    slot.dn = names_.Copy(dn);
    slot.steps.push_back(step);
    g.wanted.push_back(&record);
    if (g.scan == Scan::kRunning) {
      slot.state = SlotState::kScanning;
    } else if (g.scan == Scan::kDone) {
      slot.state = SlotState::kMissing;  // the whole container has been listed
    } else {
      readQueue_.emplace_back(&record, group);
      ++g.queued;
    }
    record.slots.push_back(std::move(slot));
  }
  for (size_t group : touched) {
    if (groups_[group].scan == Scan::kNone && groups_[group].queued >= kScanFrom) StartScan(group);
  }
  Refill();
  Deliver(arrivals);
}

bool EntryFetcher::Arrive(size_t group, std::string_view key, LdapEntry& entry,
                          Arrivals& arrivals) {
  Record& record = RecordOf(key);
  Slot* slot = FindSlot(record, group);
  if (!slot) {
    slot = &record.slots.emplace_back();
    slot->group = group;
    slot->wanted = false;
  } else if (slot->entry != nullptr) {
    return false;
  }
  slot->state = SlotState::kFetched;
  slot->entry = &entries_.emplace_back(std::move(entry));
  for (int step : slot->steps) arrivals[step].push_back(slot->entry);
  return true;
}

void EntryFetcher::Deliver(const Arrivals& arrivals) {
  if (!onArrival) return;
  for (const auto& [step, entries] : arrivals) onArrival(step, entries);
}

void EntryFetcher::StartScan(size_t group) {
  Group& g = groups_[group];
  g.scan = Scan::kRunning;
  g.page = PageRequest{connection_.PageSize(), {}};
  for (Record* record : g.wanted) {
    Slot* slot = FindSlot(*record, group);
    if (slot->state == SlotState::kQueued) slot->state = SlotState::kScanning;
  }
  g.queued = 0;
  waitingScans_.push_back(group);
  ActivateNextScan();
}

void EntryFetcher::ActivateNextScan() {
  while (activeScan_ == kNoScan && !waitingScans_.empty()) {
    activeScan_ = waitingScans_.front();
    waitingScans_.pop_front();
    if (groups_[activeScan_].scan != Scan::kRunning) activeScan_ = kNoScan;
  }
}

void EntryFetcher::EndScan(size_t group) {
  if (activeScan_ != group) return;
  activeScan_ = kNoScan;
  ActivateNextScan();
}

void EntryFetcher::GiveUpScan(size_t group) {
  Group& g = groups_[group];
  g.scan = Scan::kGivenUp;
  EndScan(group);
  for (Record* record : g.wanted) {
    Slot* slot = FindSlot(*record, group);
    if (slot->state != SlotState::kScanning) continue;
    slot->state = SlotState::kQueued;
    readQueue_.emplace_back(record, group);
    ++g.queued;
  }
}

size_t EntryFetcher::ScanAllowance(const Group& group) const {
  const size_t allowed = kScanRatio * group.wanted.size() + kScanSlack;
  return allowed > group.seen ? allowed - group.seen : 0;
}

void EntryFetcher::SendRead(Record& record, size_t group) {
  Slot* slot = FindSlot(record, group);
  Group& g = groups_[group];
  --g.queued;
  LdapSearch search;
  // Named as a server spells it; Want took only what parses as a DN.
  search.base = LdapDnString(ParseLdapDn(slot->dn, nullptr).value_or(std::vector<NameComponent>{}));
  search.scope = kScopeBase;
  search.attributes = Requested(g.attributes);
  search.maxEntries = 1;
  const int id = connection_.Send(search);
  if (id < 0) {
    slot->state = SlotState::kFailed;
    failure_ = connection_.failure();
    return;
  }
  slot->state = SlotState::kReading;
  slot->message = id;
  inFlight_.push_back(Request{group, id, &record});
}

void EntryFetcher::SendPage(size_t group) {
  Group& g = groups_[group];
  LdapSearch search;
  search.base = g.parentDn;
  search.scope = kScopeOneLevel;
  search.attributes = Requested(g.attributes);
  const int id = connection_.Send(search, g.page.size > 0 ? &g.page : nullptr);
  if (id < 0) {
    GiveUpScan(group);  // its entries are read alone, which tells what is wrong
    return;
  }
  g.pageInFlight = true;
  inFlight_.push_back(Request{group, id, nullptr});
}

void EntryFetcher::Refill() {
  while (inFlight_.size() < kWindow) {
    if (activeScan_ != kNoScan && !groups_[activeScan_].pageInFlight) {
      SendPage(activeScan_);
    } else if (!readQueue_.empty()) {
      const auto [record, group] = readQueue_.front();
      readQueue_.pop_front();
      if (const Slot* slot = FindSlot(*record, group); slot && slot->state == SlotState::kQueued) {
        SendRead(*record, group);
      }
    } else {
      break;
    }
  }
}

bool EntryFetcher::MakeRoom(Deadline deadline) {
  while (inFlight_.size() >= kWindow) {
    if (!Collect(0, deadline)) return false;
  }
  return true;
}

bool EntryFetcher::Collect(size_t index, Deadline deadline) {
  const Request request = inFlight_[index];
  LdapResult result;
  const size_t maxEntries = request.record ? 1 : ScanAllowance(groups_[request.group]);
  const bool collected = connection_.Collect(request.message, result, deadline, maxEntries);
  if (!collected && !connection_.IsOpen()) {
    // The connection is gone, and every request in flight with it.
    failure_ = connection_.failure();
    FailInFlight();
    return false;
  }
  inFlight_.erase(inFlight_.begin() + static_cast<std::ptrdiff_t>(index));
  Arrivals arrivals;
  if (!request.record) {
    TakePage(request.group, collected, result, arrivals);
  } else {
    TakeRead(request, collected, result, arrivals);
  }
  Refill();
  Deliver(arrivals);
  return true;
}

void EntryFetcher::TakeRead(const Request& request, bool collected, LdapResult& result,
                            Arrivals& arrivals) {
  if (!collected) {  // the entry cannot be decoded: the failure names it
    failure_ = connection_.failure();
    FindSlot(*request.record, request.group)->state = SlotState::kFailed;
    return;
  }
  if (result.resultCode == kLdapSuccess && result.entries.size() == 1 && !result.truncated) {
    LdapEntry& entry = result.entries.front();
    Arrive(request.group, KeyOf(entry), entry, arrivals);
  }
  // Not come (or come under another name): a read alone says why.
  Slot* slot = FindSlot(*request.record, request.group);
  if (slot->state == SlotState::kReading) slot->state = SlotState::kMissing;
}

void EntryFetcher::TakePage(size_t group, bool collected, LdapResult& result, Arrivals& arrivals) {
  Group& g = groups_[group];
  g.pageInFlight = false;
  // An entry that cannot be decoded, or far more entries than wanted: what has not come is read
  // alone, and a read of a broken entry names it.
  if (!collected || result.truncated) {
    GiveUpScan(group);
    return;
  }
  const bool more = result.resultCode == kLdapSuccess && g.page.size > 0 && result.paged &&
                    !result.pageCookie.empty();
  const std::string sent = g.page.cookie;
  if (more && result.pageCookie != sent && inFlight_.size() < kWindow) {
    // The server makes the next page while this one is taken in.
    g.page.cookie = result.pageCookie;
    SendPage(group);
  }
  size_t fresh = 0;
  for (LdapEntry& entry : result.entries) {
    if (Arrive(group, KeyOf(entry), entry, arrivals)) ++fresh;
  }
  g.seen += result.entries.size();
  if (g.scan != Scan::kRunning) return;  // the next page could not be asked for
  // A limit, a refusal, a referral for the container: what has not come is read alone.
  if (result.resultCode != kLdapSuccess) {
    GiveUpScan(group);
    return;
  }
  if (!more) {
    g.scan = Scan::kDone;
    for (Record* record : g.wanted) {
      Slot* slot = FindSlot(*record, group);
      if (slot->state == SlotState::kScanning) slot->state = SlotState::kMissing;
    }
    EndScan(group);
    return;
  }
  if (g.watch.Check(sent, fresh, result.pageCookie) || ScanAllowance(g) == 0) {
    DropPage(group);
    GiveUpScan(group);
    return;
  }
  g.page.cookie = result.pageCookie;  // Refill asks for the next page when it was not yet
}

void EntryFetcher::DropPage(size_t group) {
  auto at = std::find_if(inFlight_.begin(), inFlight_.end(),
                         [&](const Request& r) { return r.group == group && !r.record; });
  if (at == inFlight_.end()) return;
  connection_.Abandon(at->message);
  inFlight_.erase(at);
  groups_[group].pageInFlight = false;
}

void EntryFetcher::FailInFlight() {
  for (const Request& request : inFlight_) {
    if (request.record) {
      Slot* slot = FindSlot(*request.record, request.group);
      if (slot->state == SlotState::kReading) slot->state = SlotState::kFailed;
      continue;
    }
    Group& g = groups_[request.group];
    g.pageInFlight = false;
    g.scan = Scan::kGivenUp;
    for (Record* record : g.wanted) {
      Slot* slot = FindSlot(*record, request.group);
      if (slot->state == SlotState::kScanning) slot->state = SlotState::kFailed;
    }
    EndScan(request.group);
  }
  inFlight_.clear();
}

EntryFetcher::Status EntryFetcher::GetByKey(const std::string& key,
                                            const std::vector<std::string>& attributes,
                                            const LdapEntry*& entry, Deadline deadline) {
  auto found = records_.find(key);
  if (found == records_.end()) return Status::kUnknown;
  Record& record = *found->second;
  size_t pick = record.slots.size();
  for (size_t i = 0; i < record.slots.size(); ++i) {
    const Slot& slot = record.slots[i];
    if (!slot.wanted || !Covers(groups_[slot.group].attributes, attributes)) continue;
    if (pick == record.slots.size() || slot.state == SlotState::kFetched) pick = i;
  }
  if (pick == record.slots.size()) return Status::kUnknown;
  for (;;) {
    // Taken again each time: what arrives meanwhile may add slots, which moves them.
    Slot& slot = record.slots[pick];
    const size_t group = slot.group;
    switch (slot.state) {
      case SlotState::kFetched:
        entry = slot.entry;
        return Status::kFetched;
      case SlotState::kMissing:
        return Status::kMissing;
      case SlotState::kFailed:
        return Status::kFailed;
      case SlotState::kQueued:
        if (MakeRoom(deadline)) SendRead(record, group);
        break;
      case SlotState::kReading:
      case SlotState::kScanning: {
        const bool reading = slot.state == SlotState::kReading;
        // A scan that waits for its turn: the one before it runs on.
        const size_t scan = reading ? group : activeScan_;
        const int message = slot.message;
        auto at = std::find_if(inFlight_.begin(), inFlight_.end(), [&](const Request& r) {
          return r.group == scan && (reading ? r.message == message : !r.record);
        });
        if (at != inFlight_.end()) {
          Collect(static_cast<size_t>(at - inFlight_.begin()), deadline);
        } else if (reading || scan == kNoScan) {
          slot.state = SlotState::kMissing;  // its request was dropped: read it alone
        } else if (MakeRoom(deadline) && activeScan_ == scan && !groups_[scan].pageInFlight) {
          SendPage(scan);  // the page the read waits for was not sent yet
        }
        break;
      }
    }
  }
}

void EntryFetcher::Clear() {
  for (const Request& request : inFlight_) connection_.Abandon(request.message);
  groups_.clear();
  groupIndex_.clear();
  records_.clear();
  recordStore_.clear();
  names_ = TextArena();
  entries_.clear();
  readQueue_.clear();
  waitingScans_.clear();
  activeScan_ = kNoScan;
  inFlight_.clear();
}

}  // namespace vorlix::directory
