#pragma once
// Entries fetched ahead of their reads. Reading members one by one costs a round trip each; the
// fetcher instead asks for many entries at once: siblings (same parent, same naming attribute) in
// batches of one one-level search whose filter names each of them, many batches in flight on the
// one connection. A read then takes its entry from the batch that holds it, waiting only for that
// batch, so results come in the order the reads are made.

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/ldap_connection.h"

namespace vorlix::directory {

class EntryFetcher {
 public:
  // Names per batch, and batches in flight at once (servers limit the requests one anonymous
  // connection may have pending; OpenLDAP's default is 100).
  static constexpr size_t kBatchSize = 50;
  static constexpr size_t kWindow = 16;

  explicit EntryFetcher(LdapConnection& connection) : connection_(connection) {}
  ~EntryFetcher() { Clear(); }

  // Queues the entries named by dns for fetching with attributes (lower-cased LDAP names; empty:
  // the names only), tagged with step. Names already queued with the same attributes are
  // skipped, and so are strings that are no DN.
  void Want(const std::vector<std::string>& dns, const std::vector<std::string>& attributes,
            int step);

  enum class Status {
    kFetched,  // entry is set
    kMissing,  // its batch did not return it: the caller reads it alone to learn why
    kUnknown,  // never queued with attributes that cover those asked for
    kFailed,   // the connection failed on its batch; failure() says how
  };
  // The fetched entry of dn (or of the name key of a DN) with (at least) attributes; waits for
  // its batch when needed.
  Status Get(const std::string& dn, const std::vector<std::string>& attributes,
             const LdapEntry*& entry);
  Status GetByKey(const std::string& key, const std::vector<std::string>& attributes,
                  const LdapEntry*& entry);

  // The name key of an entry that arrived (default: of its DN).
  std::function<std::string(const LdapEntry& entry)> keyOf;
  // Called once for every batch that arrives, with its step and its entries.
  std::function<void(int step, const std::vector<LdapEntry>& entries)> onArrival;

  // Drops everything; what is still in flight is abandoned.
  void Clear();
  const LdapFailure& failure() const { return failure_; }
  size_t BatchesSent() const { return sent_; }

 private:
  enum class BatchState { kQueued, kInFlight, kDone, kFailed };
  struct Batch {
    std::string parentDn;
    std::string namingType;
    std::vector<std::string> values;  // naming values of the wanted entries
    std::vector<std::string> attributes;
    int step = 0;
    int messageId = -1;
    BatchState state = BatchState::kQueued;
    std::vector<LdapEntry> entries;
    std::unordered_map<std::string, size_t> byKey;  // name key -> entry index
  };
  struct Record {
    size_t batch;  // its attributes are the batch's
  };

  bool Covers(const Record& record, const std::vector<std::string>& attributes) const;
  void Send(size_t batch);
  void Collect(size_t batch);
  // Brings batch to kDone or kFailed, keeping the window full.
  void Complete(size_t batch);
  void Refill();

  LdapConnection& connection_;
  std::deque<Batch> batches_;  // a deque: entries handed out stay where they are
  std::deque<size_t> queued_;
  std::deque<size_t> inFlight_;
  std::unordered_map<std::string, std::vector<Record>> records_;  // name key -> records
  std::unordered_map<std::string, size_t> open_;  // group of a batch still taking names -> batch
  LdapFailure failure_;
  size_t sent_ = 0;
};

}  // namespace vorlix::directory
