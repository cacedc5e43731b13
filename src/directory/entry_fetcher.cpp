#include "directory/entry_fetcher.h"

#include <algorithm>

#include "directory/dotted_name.h"
#include "directory/ldap_filter.h"
#include "directory/ldap_names.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::LowerCase;

namespace {

std::string GroupOf(const std::string& parentDn, const std::string& type,
                    const std::vector<std::string>& attributes, int step) {
  std::string group =
      LowerCase(parentDn) + '\x1f' + LowerCase(type) + '\x1f' + std::to_string(step);
  for (const std::string& a : attributes) group += '\x1f' + a;
  return group;
}

}  // namespace

bool EntryFetcher::Covers(const Record& record, const std::vector<std::string>& attributes) const {
  const std::vector<std::string>& fetched = batches_[record.batch].attributes;
  return std::all_of(attributes.begin(), attributes.end(), [&](const std::string& a) {
    return std::find(fetched.begin(), fetched.end(), a) != fetched.end();
  });
}

void EntryFetcher::Want(const std::vector<std::string>& dns,
                        const std::vector<std::string>& attributes, int step) {
  // Names of one parent mostly come together: its group is worked out once for them.
  std::vector<NameComponent> lastParent;
  std::string lastType, group;
  for (const std::string& dn : dns) {
    auto components = ParseLdapDn(dn, nullptr);
    if (!components || components->empty()) continue;
    std::vector<Record>& records = records_[ComponentsKey(*components)];
    if (std::any_of(records.begin(), records.end(),
                    [&](const Record& r) { return batches_[r.batch].attributes == attributes; })) {
      continue;
    }
    // An entry at the top is read alone; others go with their siblings.
    const bool top = components->size() == 1;
    const std::string& type = top ? std::string() : components->front().type;
    const bool sameGroup =
        !top && !group.empty() && type == lastType &&
        std::equal(components->begin() + 1, components->end(), lastParent.begin(), lastParent.end(),
                   [](const NameComponent& a, const NameComponent& b) {
                     return a.type == b.type && a.value == b.value;
                   });
    std::string parentDn;
    if (!sameGroup) {
      lastParent.assign(components->begin() + (top ? 0 : 1), components->end());
      lastType = type;
      parentDn = LdapDnString(lastParent);
      group = top ? std::string() : GroupOf(parentDn, type, attributes, step);
    }
    auto open = top ? open_.end() : open_.find(group);
    if (open == open_.end() || batches_[open->second].state != BatchState::kQueued ||
        batches_[open->second].values.size() >= kBatchSize) {
      Batch batch;
      batch.parentDn = parentDn.empty() ? LdapDnString(lastParent) : parentDn;
      batch.namingType = type;
      batch.attributes = attributes;
      batch.step = step;
      batches_.push_back(std::move(batch));
      queued_.push_back(batches_.size() - 1);
      open = top ? open_.end() : open_.insert_or_assign(group, batches_.size() - 1).first;
    }
    const size_t index = top ? batches_.size() - 1 : open->second;
    batches_[index].values.push_back(components->front().value);
    records.push_back(Record{index});
  }
  Refill();
}

void EntryFetcher::Send(size_t index) {
  Batch& batch = batches_[index];
  LdapSearch search;
  search.base = batch.parentDn;
  search.attributes = batch.attributes.empty() ? std::vector<std::string>{"1.1"} : batch.attributes;
  if (batch.namingType.empty()) {
    search.scope = 0;
  } else {
    search.scope = 1;
    std::string terms;
    for (const std::string& value : batch.values) {
      terms += "(" + batch.namingType + "=" + EscapeFilterValue(value, false) + ")";
    }
    search.filter = batch.values.size() == 1 ? terms : "(|" + terms + ")";
  }
  batch.messageId = connection_.Send(search);
  if (batch.messageId < 0) {
    batch.state = BatchState::kFailed;
    failure_ = connection_.failure();
    return;
  }
  batch.state = BatchState::kInFlight;
  inFlight_.push_back(index);
  ++sent_;
}

void EntryFetcher::Collect(size_t index) {
  LdapResult result;
  if (!connection_.Collect(batches_[index].messageId, result)) {
    // The connection is gone, and every batch in flight with it.
    failure_ = connection_.failure();
    for (size_t lost : inFlight_) batches_[lost].state = BatchState::kFailed;
    inFlight_.clear();
    return;
  }
  inFlight_.erase(std::find(inFlight_.begin(), inFlight_.end(), index));
  Batch& batch = batches_[index];
  // A server error (a missing parent, a limit) leaves the names it did not return missing;
  // reading them one by one then says why.
  batch.entries = std::move(result.entries);
  for (size_t i = 0; i < batch.entries.size(); ++i) {
    if (keyOf) {
      batch.byKey.emplace(keyOf(batch.entries[i]), i);
    } else if (auto key = DnKey(batch.entries[i].dn)) {
      batch.byKey.emplace(*key, i);
    }
  }
  batch.state = BatchState::kDone;
  // Batches queued meanwhile go to the end of the deque: this one stays where it is.
  if (onArrival) onArrival(batch.step, batch.entries);
}

void EntryFetcher::Refill() {
  while (inFlight_.size() < kWindow && !queued_.empty()) {
    const size_t next = queued_.front();
    queued_.pop_front();
    Send(next);
  }
}

void EntryFetcher::Complete(size_t index) {
  for (;;) {
    const BatchState state = batches_[index].state;
    if (state == BatchState::kDone || state == BatchState::kFailed) break;
    if (state == BatchState::kInFlight) {
      Collect(index);
    } else if (inFlight_.size() >= kWindow) {
      Collect(inFlight_.front());
    } else {
      queued_.erase(std::find(queued_.begin(), queued_.end(), index));
      Send(index);
    }
  }
  Refill();
}

EntryFetcher::Status EntryFetcher::Get(const std::string& dn,
                                       const std::vector<std::string>& attributes,
                                       const LdapEntry*& entry) {
  const auto key = DnKey(dn);
  return key ? GetByKey(*key, attributes, entry) : Status::kUnknown;
}

EntryFetcher::Status EntryFetcher::GetByKey(const std::string& key,
                                            const std::vector<std::string>& attributes,
                                            const LdapEntry*& entry) {
  auto found = records_.find(key);
  if (found == records_.end()) return Status::kUnknown;
  size_t index = batches_.size();
  for (const Record& record : found->second) {
    if (Covers(record, attributes)) {
      index = record.batch;
      break;
    }
  }
  if (index == batches_.size()) return Status::kUnknown;
  Complete(index);
  const Batch& batch = batches_[index];
  if (batch.state == BatchState::kFailed) return Status::kFailed;
  auto at = batch.byKey.find(key);
  if (at == batch.byKey.end()) return Status::kMissing;
  entry = &batch.entries[at->second];
  return Status::kFetched;
}

void EntryFetcher::Clear() {
  for (size_t index : inFlight_) connection_.Abandon(batches_[index].messageId);
  batches_.clear();
  queued_.clear();
  inFlight_.clear();
  records_.clear();
  open_.clear();
}

}  // namespace vorlix::directory
