#pragma once
// Entries fetched ahead of their reads. Reading members one by one costs a round trip each, and a
// search that picks entries out of a container by name makes a server without an index on that
// name scan the whole container for every such search. The fetcher asks in ways every server
// answers at the cost of the entries it returns:
//   - few entries of one container: a base read of each, many in flight on the one connection;
//   - many (kScanFrom and more): one paged search of the whole container, which keeps every
//     entry it meets. A container that turns out to hold far more than is wanted (more than
//     kScanRatio entries a wanted one, and kScanSlack besides) is given up for base reads of what
//     has not come yet, as is one whose search fails. One container is searched at a time: a
//     server may keep one paged search per connection and drop the cookie of the one before.
// A read then takes its entry when it has come, waiting only for the request that brings it, so
// results come in the order the reads are made.

#include <absl/container/flat_hash_map.h>
#include <absl/container/inlined_vector.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/ldap_connection.h"
#include "directory/text_arena.h"

namespace vorlix::directory {

class EntryFetcher {
 public:
  // Requests in flight at once (servers limit the requests one anonymous connection may have
  // pending; OpenLDAP's default is 100).
  static constexpr size_t kWindow = 16;
  // Wanted entries of one container from which the container is searched whole; a base read
  // costs a server about as much as ten entries of such a search.
  static constexpr size_t kScanFrom = 48;
  static constexpr size_t kScanRatio = 10;
  static constexpr size_t kScanSlack = 1000;

  explicit EntryFetcher(LdapConnection& connection) : connection_(connection) {}
  ~EntryFetcher() { Clear(); }

  // Queues the entries named by dns for fetching with attributes (lower-cased LDAP names; empty:
  // the names only), tagged with step. Names already queued with the same attributes only gain
  // the step; names queued with any attributes are not queued again for their names only; strings
  // that are no DN are skipped.
  void Want(const std::vector<std::string>& dns, const std::vector<std::string>& attributes,
            int step);

  enum class Status {
    kFetched,  // entry is set
    kMissing,  // it did not come: the caller reads it alone to learn why
    kUnknown,  // never queued with attributes that cover those asked for
    kFailed,   // the connection failed, or the entry cannot be decoded; failure() says how
  };
  // The fetched entry with the name key `key` and (at least) attributes; waits for it until the
  // deadline when needed.
  Status GetByKey(const std::string& key, const std::vector<std::string>& attributes,
                  const LdapEntry*& entry, Deadline deadline);

  // The name key of an entry that arrived (default: of its DN). The text must stay as it is until
  // the next call.
  std::function<std::string_view(const LdapEntry& entry)> keyOf;
  // Called with the entries wanted for a step as they arrive (each entry once a step).
  std::function<void(int step, const std::vector<const LdapEntry*>& entries)> onArrival;

  // Drops everything; what is still in flight is abandoned.
  void Clear();
  const LdapFailure& failure() const { return failure_; }

 private:
  enum class SlotState { kQueued, kReading, kScanning, kFetched, kMissing, kFailed };
  // One entry of one group: wanted (with the steps it was wanted for), or only come with a scan.
  struct Slot {
    size_t group = 0;
    std::string_view dn;  // as it was named (in names_); empty for an entry that only came
    SlotState state = SlotState::kQueued;
    bool wanted = true;
    int message = -1;  // of its base read
    const LdapEntry* entry = nullptr;
    absl::InlinedVector<int, 2> steps;
  };
  // Everything known under one name key: found with one look-up, and then by its address (the
  // records stay where they are). Most names are wanted by one group only.
  struct Record {
    absl::InlinedVector<Slot, 1> slots;
  };
  enum class Scan { kNone, kRunning, kDone, kGivenUp };
  // The wanted entries of one container with one set of attributes.
  struct Group {
    std::string parentDn;
    std::vector<std::string> attributes;
    std::vector<Record*> wanted;  // the records of its wanted slots, in the order they were wanted
    size_t queued = 0;            // slots waiting for their base read to be sent
    Scan scan = Scan::kNone;
    bool pageInFlight = false;
    PageRequest page;
    PageWatch watch;
    size_t seen = 0;  // entries the scan has returned
  };
  struct Request {
    size_t group;
    int message;
    Record* record;  // nullptr for a page of the group's scan
  };
  using Arrivals = std::map<int, std::vector<const LdapEntry*>>;

  static Slot* FindSlot(Record& record, size_t group);
  static bool HasWanted(const Record& record);
  size_t GroupOf(const std::string& parentKey, const std::string& parentDn,
                 const std::vector<std::string>& attributes);
  std::string_view KeyOf(const LdapEntry& entry) const;
  // The record of a name key, made when there is none.
  Record& RecordOf(std::string_view key);
  // An entry came for group: kept (moved from) and its slot fetched, the slot made when nobody
  // wanted the entry; false, and nothing kept, when an entry came for that slot before.
  bool Arrive(size_t group, std::string_view key, LdapEntry& entry, Arrivals& arrivals);
  void Deliver(const Arrivals& arrivals);

  void StartScan(size_t group);
  void ActivateNextScan();
  // The scan of group is done or given up: the next one waiting runs.
  void EndScan(size_t group);
  void GiveUpScan(size_t group);
  size_t ScanAllowance(const Group& group) const;

  void SendRead(Record& record, size_t group);
  void SendPage(size_t group);
  // Sends what waits while the window has room: the next page of the scan first, then base reads.
  void Refill();
  // Makes room in the window by collecting the oldest request in flight.
  bool MakeRoom(Deadline deadline);
  // Collects one request in flight and takes in what it brought; false when the connection
  // failed, which fails everything in flight.
  bool Collect(size_t inFlight, Deadline deadline);
  void TakeRead(const Request& request, bool collected, LdapResult& result, Arrivals& arrivals);
  void TakePage(size_t group, bool collected, LdapResult& result, Arrivals& arrivals);
  // Abandons the page of group's scan that is in flight, if one is.
  void DropPage(size_t group);
  void FailInFlight();

  LdapConnection& connection_;
  std::deque<Group> groups_;  // a deque: groups stay where they are
  std::unordered_map<std::string, size_t> groupIndex_;
  // Name key -> what is known under it: the keys in names_, the records in a deque, so that they
  // stay where they are and are dropped a block at a time.
  absl::flat_hash_map<std::string_view, Record*> records_;
  std::deque<Record> recordStore_;
  std::deque<LdapEntry> entries_;  // a deque: entries handed out stay where they are
  std::deque<std::pair<Record*, size_t>> readQueue_;  // record and group of base reads to send
  mutable std::string defaultKey_;                    // KeyOf's text when keyOf is not set
  TextArena names_;                                   // the DNs of the slots, the name keys
  static constexpr size_t kNoScan = static_cast<size_t>(-1);
  size_t activeScan_ = kNoScan;      // the group whose container is being searched
  std::deque<size_t> waitingScans_;  // groups whose containers are to be searched after it
  std::deque<Request> inFlight_;
  LdapFailure failure_;
};

}  // namespace vorlix::directory
