#include "directory/reply_codec.h"

#include "directory/byte_layout.h"
#include "directory/value_conversion.h"

namespace vorlix::directory {

namespace {

// ---- the layout, for filling and walking alike --------------------------------------------

template <typename Io, typename Count>
bool LayCount(Io& io, Count& count) {
  return io.U32(count);
}

template <typename Io, typename Header>
bool LayAttribute(Io& io, Header& header) {
  return io.Text16(header.name) && io.U32(header.syntax) && io.U32(header.valueCount) &&
         io.U32(header.valueBytes);
}

template <typename Io, typename Bytes>
bool LayValue(Io& io, Bytes& encoded) {
  return io.Text32(encoded);
}

// The bytes LayValue takes for an encoding of encodedSize bytes: its length word, then the bytes.
size_t LaidValueSize(size_t encodedSize) {
  return LaidSize([&](auto& io) { return io.U32(encodedSize); }) + encodedSize;
}

template <typename Io, typename Object>
bool LayObject(Io& io, Object& object) {
  return io.Text16(object.name) && io.Text16(object.baseClass) && io.U32(object.attributeCount);
}

}  // namespace

// ---- the walk -------------------------------------------------------------------------------

int32_t Reply::StartWalk(int32_t kind, int32_t& count) {
  if (kind_ != kind) return kErrInvalidRequest;
  LayoutReader in(bytes_);
  uint32_t items = 0;
  if (!LayCount(in, items)) return kErrEndOfReply;
  count = static_cast<int32_t>(items);
  itemsLeft_ = count;
  nextItem_ = in.Position();
  valuesLeft_ = 0;
  return kOk;
}

template <typename Layout>
int32_t Reply::ReadItem(int32_t kind, Layout lay, size_t& end) const {
  if (kind_ != kind) return kErrInvalidRequest;
  if (itemsLeft_ <= 0) return kErrEndOfReply;
  LayoutReader in(bytes_, nextItem_);
  if (!lay(in)) return kErrEndOfReply;
  end = in.Position();
  return kOk;
}

int32_t Reply::NextAttribute(std::string& name, int32_t& valueCount, int32_t& syntax) {
  ReplyAttribute header;
  size_t end = 0;
  const int32_t r = ReadItem(
      kOpRead, [&](auto& in) { return LayAttribute(in, header); }, end);
  if (r != kOk) return r;
  name = std::move(header.name);
  syntax = header.syntax;
  valueCount = static_cast<int32_t>(header.valueCount);
  syntax_ = syntax;
  valuesLeft_ = valueCount;
  nextValue_ = end;
  nextItem_ = end + header.valueBytes;
  --itemsLeft_;
  return kOk;
}

int32_t Reply::DecodeNextValue(int32_t syntax, FetchedValue& value, size_t& end) const {
  if (kind_ != kOpRead || syntax != syntax_) return kErrInvalidRequest;
  if (valuesLeft_ <= 0) return kErrEndOfReply;
  LayoutReader in(bytes_, nextValue_);
  std::string encoded;
  if (!LayValue(in, encoded) || !DecodeValue(syntax, encoded, value)) return kErrEndOfReply;
  end = in.Position();
  return kOk;
}

int32_t Reply::PeekValue(int32_t syntax, FetchedValue& value) const {
  size_t end = 0;
  return DecodeNextValue(syntax, value, end);
}

int32_t Reply::NextValue(int32_t syntax, FetchedValue& value) {
  const int32_t r = DecodeNextValue(syntax, value, nextValue_);
  if (r == kOk) --valuesLeft_;
  return r;
}

int32_t Reply::NextObject(std::string& name, int32_t& attributeCount, std::string& baseClass) {
  FoundObject object;
  const int32_t r = ReadItem(
      kOpSearch, [&](auto& in) { return LayObject(in, object); }, nextItem_);
  if (r != kOk) return r;
  name = std::move(object.name);
  baseClass = std::move(object.baseClass);
  attributeCount = static_cast<int32_t>(object.attributeCount);
  --itemsLeft_;
  return kOk;
}

// ---- filling a part -------------------------------------------------------------------------

ReplyPart::ReplyPart(Reply& reply, int32_t kind, size_t limit)
    : reply_(reply), kind_(kind), limit_(limit) {
  reply_.bytes_.clear();
  LayoutWriter out(reply_.bytes_);
  LayCount(out, items_);
}

void ReplyPart::BeginAttribute(const std::string& name, int32_t syntax) {
  header_ = ReplyAttribute{name, syntax, 0, 0};
  headerAt_ = reply_.bytes_.size();
  LayoutWriter out(reply_.bytes_);
  LayAttribute(out, header_);
  valuesAt_ = reply_.bytes_.size();
  values_ = 0;
}

template <typename Layout>
bool ReplyPart::Append(Layout lay) {
  if (reply_.bytes_.size() + LaidSize(lay) > limit_) return false;
  LayoutWriter out(reply_.bytes_);
  lay(out);
  return true;
}

bool ReplyPart::AddValue(std::string_view encoded) {
  if (!Append([&](auto& io) { return LayValue(io, encoded); })) return false;
  ++values_;
  return true;
}

void ReplyPart::EndAttribute() {
  header_.valueCount = values_;
  header_.valueBytes = static_cast<uint32_t>(reply_.bytes_.size() - valuesAt_);
  LayoutWriter header(reply_.bytes_, headerAt_);
  LayAttribute(header, header_);
  ++items_;
}

void ReplyPart::DropAttribute() {
  reply_.bytes_.resize(headerAt_);
}

bool ReplyPart::AddObject(const FoundObject& object) {
  if (!Append([&](auto& io) { return LayObject(io, object); })) return false;
  ++items_;
  return true;
}

void ReplyPart::Finish() {
  LayoutWriter count(reply_.bytes_, 0);
  LayCount(count, items_);
  reply_.kind_ = kind_;
  reply_.itemsLeft_ = 0;
  reply_.valuesLeft_ = 0;
}

// ---- planning a read part -------------------------------------------------------------------

ReplyPartPlan::ReplyPartPlan(size_t limit) : limit_(limit) {
  uint32_t count = 0;
  used_ = LaidSize([&](auto& io) { return LayCount(io, count); });
}

void ReplyPartPlan::BeginAttribute(const std::string& name, int32_t syntax) {
  struct {  // a ReplyAttribute that does not copy the name
    std::string_view name;
    int32_t syntax;
    uint32_t valueCount, valueBytes;
  } header{name, syntax, 0, 0};
  headerAt_ = used_;
  used_ += LaidSize([&](auto& io) { return LayAttribute(io, header); });
  values_ = 0;
}

bool ReplyPartPlan::AddValue(size_t encodedSize) {
  const size_t laid = LaidValueSize(encodedSize);
  if (used_ + laid > limit_) return false;
  used_ += laid;
  ++values_;
  return true;
}

void ReplyPartPlan::EndAttribute() {
  ++items_;
}

void ReplyPartPlan::DropAttribute() {
  used_ = headerAt_;
}

}  // namespace vorlix::directory
