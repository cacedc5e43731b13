#pragma once
// Scoped owners of client resources, so that every path out of an operation (errors included)
// deletes its buffers, drops an unused filter and ends an open iteration.

#include "directory/directory_client.h"

namespace vorlix::directory {

// A buffer made by dsBufferNew; deleted when the guard ends.
class ScopedBuffer {
 public:
  explicit ScopedBuffer(DirectoryClient& client) : client_(client) {}
  ~ScopedBuffer() {
    if (made_) client_.dsBufferDelete(buffer_);
  }
  ScopedBuffer(const ScopedBuffer&) = delete;
  ScopedBuffer& operator=(const ScopedBuffer&) = delete;

  // Makes the buffer; the client's result.
  int32_t Make(int32_t size) {
    int32_t r = client_.dsBufferNew(size, buffer_);
    made_ = r == kOk;
    return r;
  }
  Buffer get() const { return buffer_; }

 private:
  DirectoryClient& client_;
  Buffer buffer_ = 0;
  bool made_ = false;
};

// A filter cursor; freed when the guard ends unless Release() said it was used up.
class ScopedFilter {
 public:
  ScopedFilter(DirectoryClient& client, FilterCursor cursor) : client_(client), cursor_(cursor) {}
  ~ScopedFilter() {
    if (owned_) client_.dsFilterFree(cursor_);
  }
  ScopedFilter(const ScopedFilter&) = delete;
  ScopedFilter& operator=(const ScopedFilter&) = delete;

  FilterCursor get() const { return cursor_; }
  void Release() { owned_ = false; }

 private:
  DirectoryClient& client_;
  FilterCursor cursor_;
  bool owned_ = true;
};

// An iteration handle; an iteration still open when the guard ends is ended with operation.
class ScopedIteration {
 public:
  ScopedIteration(DirectoryClient& client, Context context, int32_t operation)
      : client_(client), context_(context), operation_(operation) {}
  ~ScopedIteration() { End(); }
  ScopedIteration(const ScopedIteration&) = delete;
  ScopedIteration& operator=(const ScopedIteration&) = delete;

  Iteration& handle() { return handle_; }
  bool open() const { return handle_ != kNoIteration; }
  void End() {
    if (open()) client_.dsEndIteration(context_, handle_, operation_);
    handle_ = kNoIteration;
  }

 private:
  DirectoryClient& client_;
  Context context_;
  int32_t operation_;
  Iteration handle_ = kNoIteration;
};

}  // namespace vorlix::directory
