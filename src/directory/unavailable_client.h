#pragma once
// A client for a source that cannot be served: calStartup fails with a fixed reason and every
// other operation answers that the client is not started.

#include <string>

#include "directory/directory_client.h"

namespace vorlix::directory {

class UnavailableClient : public DirectoryClient {
 public:
  explicit UnavailableClient(std::string reason) : reason_(std::move(reason)) {}

  int32_t calStartup(int32_t, int32_t) override { return kErrClientNotStarted; }
  int32_t calShutdown(int32_t) override { return kOk; }
  int32_t clxStartup(int32_t, int32_t) override { return kOk; }
  int32_t clxShutdown(int32_t) override { return kOk; }
  int32_t clxQueryCode(int32_t&) override { return kErrClientNotStarted; }
  int32_t clxOpenHandle(int32_t, int32_t, int32_t, int32_t&) override {
    return kErrClientNotStarted;
  }
  int32_t dsOpenContext(Context&) override { return kErrClientNotStarted; }
  int32_t dsCloseContext(Context) override { return kErrClientNotStarted; }
  int32_t dsContextGet(Context, int32_t, uint32_t&) override { return kErrClientNotStarted; }
  int32_t dsContextGet(Context, int32_t, std::string&) override { return kErrClientNotStarted; }
  int32_t dsContextSet(Context, int32_t, uint32_t) override { return kErrClientNotStarted; }
  int32_t dsBufferNew(int32_t, Buffer&) override { return kErrClientNotStarted; }
  int32_t dsBufferDelete(Buffer) override { return kErrClientNotStarted; }
  int32_t dsBufferPrepare(Context, int32_t, Buffer) override { return kErrClientNotStarted; }
  int32_t dsBufferAddName(Context, Buffer, const std::string&) override {
    return kErrClientNotStarted;
  }
  int32_t dsReadEntry(Context, const std::string&, int32_t, int32_t, Buffer, Iteration&,
                      Buffer) override {
    return kErrClientNotStarted;
  }
  int32_t dsEndIteration(Context, Iteration, int32_t) override { return kErrClientNotStarted; }
  int32_t dsAttrCount(Context, Buffer, int32_t&) override { return kErrClientNotStarted; }
  int32_t dsNextAttr(Context, Buffer, std::string&, int32_t&, int32_t&) override {
    return kErrClientNotStarted;
  }
  int32_t dsValueSize(Context, Buffer, int32_t, int32_t&) override { return kErrClientNotStarted; }
  int32_t dsNextValue(Context, Buffer, int32_t, FetchedValue&) override {
    return kErrClientNotStarted;
  }
  int32_t dsFilterNew(FilterCursor&) override { return kErrClientNotStarted; }
  int32_t dsFilterToken(FilterCursor, int32_t, const std::optional<std::string>&,
                        int32_t) override {
    return kErrClientNotStarted;
  }
  int32_t dsFilterFree(FilterCursor) override { return kErrClientNotStarted; }
  int32_t dsBufferAddFilter(Context, Buffer, FilterCursor, int32_t) override {
    return kErrClientNotStarted;
  }
  int32_t dsSearchTree(Context, const std::string&, int32_t, int32_t, Buffer, int32_t, int32_t,
                       Buffer, Iteration&, int32_t, int32_t, Buffer) override {
    return kErrClientNotStarted;
  }
  int32_t dsObjectCount(Context, Buffer, int32_t&) override { return kErrClientNotStarted; }
  int32_t dsNextObject(Context, Buffer, std::string&, int32_t&, ObjectInfo&) override {
    return kErrClientNotStarted;
  }
  std::string StartupFailureReason() const override { return reason_; }

 private:
  std::string reason_;
};

}  // namespace vorlix::directory
