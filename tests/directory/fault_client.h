#pragma once
// A client that passes every call to another one, except that chosen calls fail: the n-th call
// of an operation answers a given code instead. Counts the calls it sees.

#include <map>
#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory::testing {

class FaultClient : public DirectoryClient {
 public:
  explicit FaultClient(DirectoryClient& inner) : inner_(inner) {}

  // The callNumber-th call (from 1) of operation answers code without reaching the inner client.
  void FailOn(const std::string& operation, int callNumber, int32_t code) {
    faults_[operation] = {callNumber, code};
  }
  int Calls(const std::string& operation) const {
    auto it = calls_.find(operation);
    return it == calls_.end() ? 0 : it->second;
  }

#define VORLIX_PASS(op, ...)                             \
  {                                                      \
    if (int32_t code = 0; Fails(#op, code)) return code; \
    return inner_.op(__VA_ARGS__);                       \
  }

  int32_t calStartup(int32_t a, int32_t b) override VORLIX_PASS(calStartup, a, b) int32_t
      calShutdown(int32_t a) override VORLIX_PASS(calShutdown, a) int32_t
      clxStartup(int32_t a, int32_t b) override VORLIX_PASS(clxStartup, a, b) int32_t
      clxShutdown(int32_t a) override VORLIX_PASS(clxShutdown, a) int32_t
      clxQueryCode(int32_t& c) override VORLIX_PASS(clxQueryCode, c) int32_t
      clxOpenHandle(int32_t c, int32_t a, int32_t b, int32_t& h) override
      VORLIX_PASS(clxOpenHandle, c, a, b, h) int32_t dsOpenContext(Context& c) override
      VORLIX_PASS(dsOpenContext, c) int32_t dsCloseContext(Context c) override
      VORLIX_PASS(dsCloseContext, c) int32_t
      dsContextGet(Context c, int32_t k, uint32_t& w) override
      VORLIX_PASS(dsContextGet, c, k, w) int32_t
      dsContextGet(Context c, int32_t k, std::string& t) override
      VORLIX_PASS(dsContextGet, c, k, t) int32_t
      dsContextSet(Context c, int32_t k, uint32_t w) override
      VORLIX_PASS(dsContextSet, c, k, w) int32_t dsBufferNew(int32_t s, Buffer& b) override
      VORLIX_PASS(dsBufferNew, s, b) int32_t dsBufferDelete(Buffer b) override
      VORLIX_PASS(dsBufferDelete, b) int32_t
      dsBufferPrepare(Context c, int32_t o, Buffer b) override
      VORLIX_PASS(dsBufferPrepare, c, o, b) int32_t
      dsBufferAddName(Context c, Buffer b, const std::string& n) override
      VORLIX_PASS(dsBufferAddName, c, b, n) int32_t
      dsReadEntry(Context c, const std::string& o, int32_t i, int32_t a, Buffer rq, Iteration& it,
                  Buffer rp) override VORLIX_PASS(dsReadEntry, c, o, i, a, rq, it, rp) int32_t
      dsEndIteration(Context c, Iteration i, int32_t o) override
      VORLIX_PASS(dsEndIteration, c, i, o) int32_t
      dsAttrCount(Context c, Buffer r, int32_t& n) override
      VORLIX_PASS(dsAttrCount, c, r, n) int32_t
      dsNextAttr(Context c, Buffer r, std::string& n, int32_t& v, int32_t& s) override
      VORLIX_PASS(dsNextAttr, c, r, n, v, s) int32_t
      dsValueSize(Context c, Buffer r, int32_t s, int32_t& z) override
      VORLIX_PASS(dsValueSize, c, r, s, z) int32_t
      dsNextValue(Context c, Buffer r, int32_t s, FetchedValue& p) override
      VORLIX_PASS(dsNextValue, c, r, s, p) int32_t dsFilterNew(FilterCursor& f) override
      VORLIX_PASS(dsFilterNew, f) int32_t
      dsFilterToken(FilterCursor f, int32_t t, const std::optional<std::string>& v,
                    int32_t s) override VORLIX_PASS(dsFilterToken, f, t, v, s) int32_t
      dsFilterFree(FilterCursor f) override VORLIX_PASS(dsFilterFree, f) int32_t
      dsBufferAddFilter(Context c, Buffer b, FilterCursor f, int32_t a) override
      VORLIX_PASS(dsBufferAddFilter, c, b, f, a) int32_t
      dsSearchTree(Context c, const std::string& b, int32_t s, int32_t al, Buffer f, int32_t i,
                   int32_t a, Buffer l, Iteration& it, int32_t t, int32_t n, Buffer r) override
      VORLIX_PASS(dsSearchTree, c, b, s, al, f, i, a, l, it, t, n, r) int32_t
      dsObjectCount(Context c, Buffer r, int32_t& n) override
      VORLIX_PASS(dsObjectCount, c, r, n) int32_t
      dsNextObject(Context c, Buffer r, std::string& n, int32_t& a, ObjectInfo& i) override
      VORLIX_PASS(dsNextObject, c, r, n, a, i)
#undef VORLIX_PASS

          std::string StartupFailureReason() const override {
    return inner_.StartupFailureReason();
  }
  void dsReadAhead(Context c, const ReadAheadPlan& plan) override {
    inner_.dsReadAhead(c, plan);
  }
  std::string LastFailureDetail() const override {
    return inner_.LastFailureDetail();
  }
  std::string LocateValue(Context c, const std::string& o, const std::string& a,
                          const std::string& v) override {
    return inner_.LocateValue(c, o, a, v);
  }

 private:
  bool Fails(const char* operation, int32_t& code) {
    const int call = ++calls_[operation];
    auto fault = faults_.find(operation);
    if (fault == faults_.end() || fault->second.first != call) return false;
    code = fault->second.second;
    return true;
  }

  DirectoryClient& inner_;
  std::map<std::string, std::pair<int, int32_t>> faults_;
  std::map<std::string, int> calls_;
};

}  // namespace vorlix::directory::testing
