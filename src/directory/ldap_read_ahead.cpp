#include "directory/ldap_read_ahead.h"

#include <algorithm>

#include "platform/plain_text.h"

namespace vorlix::directory {

namespace {

bool Covers(const std::vector<std::string>& have, const std::vector<std::string>& wanted) {
  return std::all_of(wanted.begin(), wanted.end(), [&](const std::string& k) {
    return std::find(have.begin(), have.end(), k) != have.end();
  });
}

}  // namespace

void ReadAhead::Start(const ReadAheadPlan& plan) {
  Clear();
  if (plan.steps.empty()) return;
  auto key = DnKey(s_.book.DnOf(plan.object));
  if (!key) return;
  PlanState p;
  p.object = plan.object;
  p.objectKey = *key;
  p.listKey = s_.KeyOf(plan.listAttribute);
  p.objectKeys.push_back(p.listKey);
  for (const std::string& attribute : plan.objectAttributes) {
    const std::string& k = s_.KeyOf(attribute);
    if (std::find(p.objectKeys.begin(), p.objectKeys.end(), k) == p.objectKeys.end()) {
      p.objectKeys.push_back(k);
    }
  }
  for (const ReadAheadStep& step : plan.steps) {
    PlanState::Step mapped;
    for (const std::string& attribute : step.attributes) mapped.keys.push_back(s_.KeyOf(attribute));
    if (!step.follow.empty()) mapped.follow = s_.KeyOf(step.follow);
    p.steps.push_back(std::move(mapped));
  }
  plan_ = std::move(p);
}

void ReadAhead::Clear() {
  s_.fetcher.Clear();
  plan_.reset();
}

int32_t ReadAhead::PlannedEntryOf(const std::string& object, const std::vector<std::string>& keys,
                                  bool all, LdapEntry& direct, const LdapEntry*& entry,
                                  std::string& entryKey) {
  if (all || !plan_ || object != plan_->object) {
    return resolution_.EntryOf(object, keys, all, direct, entry, entryKey);
  }
  if (plan_->objectEntry && Covers(plan_->objectEntryKeys, keys)) {
    entry = plan_->objectEntry.get();
    entryKey = plan_->objectEntryKey;
    return kOk;
  }
  std::vector<std::string> request = keys;
  for (const std::string& key : plan_->objectKeys) {
    if (std::find(request.begin(), request.end(), key) == request.end()) request.push_back(key);
  }
  const int32_t r = resolution_.EntryOf(object, request, all, direct, entry, entryKey);
  if (r != kOk) return r;
  if (entry == &direct) {
    plan_->objectEntry = std::make_unique<LdapEntry>(std::move(direct));
    plan_->objectEntryKey = entryKey;
    plan_->objectEntryKeys = std::move(request);
    entry = plan_->objectEntry.get();
  }
  return kOk;
}

void ReadAhead::QueueNamed(const std::vector<std::string>& values, const std::string& entryKey,
                           const std::string& key) {
  if (plan_ && !plan_->started && plan_->objectKey == entryKey && plan_->listKey == key) {
    plan_->started = true;
    s_.fetcher.Want(values, plan_->steps.front().keys, 0);
    return;
  }
  std::vector<std::string> unknown;
  for (const std::string& value : values) {
    if (!s_.book.FindDn(value)) unknown.push_back(value);
  }
  s_.fetcher.Want(unknown, {}, -1);
}

void ReadAhead::Arrived(int step, const std::vector<const LdapEntry*>& entries) {
  if (!plan_ || step < 0 || static_cast<size_t>(step) + 1 >= plan_->steps.size()) return;
  const std::string& follow = plan_->steps[static_cast<size_t>(step)].follow;
  if (follow.empty()) return;
  const bool isName = s_.names.SyntaxOf(follow) == SYN_DIST_NAME;
  std::vector<std::string> next;
  for (const LdapEntry* entry : entries) {
    const LdapAttribute* attribute = s_.FindAttribute(*entry, follow);
    // Several values run together in the text read, which s_.names no object.
    if (!attribute || attribute->values.size() != 1) continue;
    if (isName) {
      if (!attribute->values.front().empty()) next.push_back(attribute->values.front());
    } else if (const std::string text = platform::TrimControls(attribute->values.front());
               !text.empty()) {
      next.push_back(s_.book.DnOf(text));
    }
  }
  s_.fetcher.Want(next, plan_->steps[static_cast<size_t>(step) + 1].keys, step + 1);
}

}  // namespace vorlix::directory
