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

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/ldap_connection.h"

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

  // The name key of an entry that arrived (default: of its DN).
  std::function<std::string(const LdapEntry& entry)> keyOf;
  // Called with the entries wanted for a step as they arrive (each entry once a step).
  std::function<void(int step, const std::vector<const LdapEntry*>& entries)> onArrival;

  // Drops everything; what is still in flight is abandoned.
  void Clear();
  const LdapFailure& failure() const { return failure_; }

 private:
  enum class SlotState { kQueued, kReading, kScanning, kFetched, kMissing, kFailed };
  // One wanted entry with one set of attributes.
  struct Slot {
    size_t group = 0;
    std::string dn;  // as it was named
    SlotState state = SlotState::kQueued;
    int message = -1;  // of its base read
    const LdapEntry* entry = nullptr;
    std::vector<int> steps;
  };
  enum class Scan { kNone, kRunning, kDone, kGivenUp };
  // The wanted entries of one container with one set of attributes.
  struct Group {
    std::string parentDn;
    std::vector<std::string> attributes;
    std::vector<std::string> keys;  // of its slots, in the order they were wanted
    size_t queued = 0;              // slots waiting for their base read to be sent
    Scan scan = Scan::kNone;
    bool pageInFlight = false;
    PageRequest page;
    PageWatch watch;
    size_t seen = 0;                                            // entries the scan has returned
    std::unordered_map<std::string, const LdapEntry*> entries;  // key -> entry come so far
  };
  struct Request {
    size_t group;
    int message;
    std::string key;  // empty for a page of the group's scan
  };
  using Arrivals = std::map<int, std::vector<const LdapEntry*>>;

  Slot* FindSlot(const std::string& key, size_t group);
  size_t GroupOf(const std::string& parentKey, const std::string& parentDn,
                 const std::vector<std::string>& attributes);
  std::string KeyOf(const LdapEntry& entry) const;
  // An entry came for group: kept, and every slot waiting for it is fetched.
  void Arrive(size_t group, const std::string& key, const LdapEntry* entry, Arrivals& arrivals);
  void Deliver(const Arrivals& arrivals);

  void StartScan(size_t group);
  void ActivateNextScan();
  // The scan of group is done or given up: the next one waiting runs.
  void EndScan(size_t group);
  void GiveUpScan(size_t group);
  size_t ScanAllowance(const Group& group) const;

  void SendRead(const std::string& key, size_t group);
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
  std::unordered_map<std::string, std::vector<Slot>> slots_;  // name key -> its slots
  std::deque<LdapEntry> entries_;  // a deque: entries handed out stay where they are
  std::deque<std::pair<std::string, size_t>> readQueue_;  // key and group of base reads to send
  static constexpr size_t kNoScan = static_cast<size_t>(-1);
  size_t activeScan_ = kNoScan;      // the group whose container is being searched
  std::deque<size_t> waitingScans_;  // groups whose containers are to be searched after it
  std::deque<Request> inFlight_;
  LdapFailure failure_;
};

}  // namespace vorlix::directory
