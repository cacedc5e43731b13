#pragma once
// The bytes of a reply buffer, laid out once (byte_layout.h) for the client that fills a part
// and for the walk through it (dsAttrCount, dsNextAttr, dsValueSize, dsNextValue, dsObjectCount,
// dsNextObject):
//   read reply    u32 attribute count; per attribute a ReplyAttribute header, then its values,
//                 each a u32 length and the value as EncodeValue lays it out;
//   search reply  u32 object count; per object a FoundObject record.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "directory/directory_client.h"

namespace vorlix::directory {

// The header of one attribute in a read reply.
struct ReplyAttribute {
  std::string name;
  int32_t syntax = 0;
  uint32_t valueCount = 0;
  uint32_t valueBytes = 0;  // the bytes of its values, which follow
};

// One object of a search reply.
struct FoundObject {
  std::string name;             // dotted, typed or typeless as the context asks
  std::string baseClass;        // the program's name of its base class
  uint32_t attributeCount = 0;  // names only are delivered: always 0
};

// A reply buffer's bytes and where the walk through them stands.
class Reply {
 public:
  // kOpRead or kOpSearch once a part is in it; 0 before, and after a read or search that failed.
  int32_t kind() const { return kind_; }
  void MarkUnfilled() { kind_ = 0; }

  // The walk. Each call answers kErrInvalidRequest for a reply of another kind (or a value of
  // another syntax than its attribute's) and kErrEndOfReply past the last item.
  int32_t StartWalk(int32_t kind, int32_t& count);
  int32_t NextAttribute(std::string& name, int32_t& valueCount, int32_t& syntax);
  // The next value of the current attribute; NextValue moves past it, PeekValue does not.
  int32_t PeekValue(int32_t syntax, FetchedValue& value) const;
  int32_t NextValue(int32_t syntax, FetchedValue& value);
  int32_t NextObject(std::string& name, int32_t& attributeCount, std::string& baseClass);

 private:
  friend class ReplyPart;
  // Reads the next attribute or object of a reply of kind with `lay` (run as lay(reader)); end
  // is then where the item ends.
  template <typename Layout>
  int32_t ReadItem(int32_t kind, Layout lay, size_t& end) const;
  int32_t DecodeNextValue(int32_t syntax, FetchedValue& value, size_t& end) const;

  int32_t kind_ = 0;
  std::string bytes_;
  int32_t itemsLeft_ = 0;   // attributes or objects not yet walked
  size_t nextItem_ = 0;     // offset of the next attribute or object
  int32_t valuesLeft_ = 0;  // values of the current attribute not yet fetched
  size_t nextValue_ = 0;    // offset of the next value
  int32_t syntax_ = 0;      // syntax of the current attribute
};

// Fills a reply with one part of a read or a search: items while they fit in `limit` bytes.
class ReplyPart {
 public:
  ReplyPart(Reply& reply, int32_t kind, size_t limit);

  // A read part: an attribute header, then its values while they fit; EndAttribute fills in the
  // header's counts, DropAttribute takes the header back.
  void BeginAttribute(const std::string& name, int32_t syntax);
  bool AddValue(std::string_view encoded);  // false, and nothing written, when it does not fit
  uint32_t ValuesInAttribute() const { return values_; }
  void EndAttribute();
  void DropAttribute();

  // A search part: false, and nothing written, when the object does not fit.
  bool AddObject(const FoundObject& object);

  // Attributes or objects in the part.
  uint32_t Items() const { return items_; }
  // Fills in the item count; the reply can then be walked.
  void Finish();

 private:
  // Lays out what `lay` (run as lay(io)) writes when it fits; false, and nothing written, if not.
  template <typename Layout>
  bool Append(Layout lay);

  Reply& reply_;
  int32_t kind_;
  size_t limit_;
  uint32_t items_ = 0;
  ReplyAttribute header_;  // of the attribute being written
  size_t headerAt_ = 0;
  size_t valuesAt_ = 0;
  uint32_t values_ = 0;
};

// Counts what a ReplyPart of a read holds, with the same calls, to plan the parts of a read
// without writing them: a value is given by the size of its encoding (EncodedSize).
class ReplyPartPlan {
 public:
  explicit ReplyPartPlan(size_t limit);

  void BeginAttribute(const std::string& name, int32_t syntax);
  bool AddValue(size_t encodedSize);  // false, and nothing counted, when it does not fit
  uint32_t ValuesInAttribute() const { return values_; }
  void EndAttribute();
  void DropAttribute();
  uint32_t Items() const { return items_; }

 private:
  size_t limit_;
  size_t used_ = 0;
  size_t headerAt_ = 0;
  uint32_t items_ = 0;
  uint32_t values_ = 0;
};

}  // namespace vorlix::directory
