#pragma once
// The LDAP client's read-ahead: a lookup's announced reads (dsReadAhead) become requests for the
// member entries and the entries they lead to, step by step, and the object of the plan is read
// once for all that the plan reads of it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/directory_client.h"
#include "directory/ldap_name_resolution.h"
#include "directory/ldap_session.h"

namespace vorlix::directory {

class ReadAhead {
 public:
  ReadAhead(LdapSession& session, NameResolution& resolution)
      : s_(session), resolution_(resolution) {}

  // Takes a lookup's plan in place of the one before; an empty plan or an object without a name
  // leaves none.
  void Start(const ReadAheadPlan& plan);
  // Forgets the plan and what was fetched for it.
  void Clear();

  // EntryOf, where the read is of the object of the plan: its first read brings what the plan
  // reads of it, and the reads that follow take that entry instead of asking again.
  int32_t PlannedEntryOf(const std::string& object, const std::vector<std::string>& keys, bool all,
                         LdapEntry& direct, const LdapEntry*& entry, std::string& entryKey);
  // Queues the entries that the name values of the list attribute key of the entry named
  // entryKey name: with the plan's first attributes when this is the plan's list, else for their
  // names alone (as far as they are neither known nor queued yet).
  void QueueNamed(const std::vector<std::string>& values, const std::string& entryKey,
                  const std::string& key);
  // Entries of a step arrived: where the plan follows an attribute from the step, the objects that
  // attribute names are queued for the next step.
  void Arrived(int step, const std::vector<const LdapEntry*>& entries);

 private:
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

  LdapSession& s_;
  NameResolution& resolution_;
  std::optional<PlanState> plan_;
};

}  // namespace vorlix::directory
