#include "support/ldap_messages.h"

namespace vorlix::testing::ldap_messages {

std::string Tlv(uint8_t tag, std::string_view content) {
  std::string out(1, static_cast<char>(tag));
  const size_t n = content.size();
  if (n < 0x80) {
    out += static_cast<char>(n);
  } else {
    std::string digits;
    for (size_t v = n; v > 0; v >>= 8) digits.insert(digits.begin(), static_cast<char>(v & 0xff));
    out += static_cast<char>(0x80 | digits.size());
    out += digits;
  }
  out.append(content);
  return out;
}

std::string Integer(int64_t value, uint8_t tag) {
  std::string bytes;
  // Two's complement, as few bytes as keep the sign.
  for (;;) {
    bytes.insert(bytes.begin(), static_cast<char>(value & 0xff));
    const int64_t rest = value >> 8;
    const bool negative = (bytes.front() & 0x80) != 0;
    if ((rest == 0 && !negative) || (rest == -1 && negative)) break;
    value = rest;
  }
  return Tlv(tag, bytes);
}

std::string Octets(std::string_view text, uint8_t tag) {
  return Tlv(tag, text);
}

std::string EntryOp(std::string_view dn, const Attributes& attributes) {
  std::string list;
  for (const auto& [name, values] : attributes) {
    std::string set;
    for (const std::string& value : values) set += Octets(value);
    list += Tlv(0x30, Octets(name) + Tlv(0x31, set));
  }
  return Tlv(kSearchEntry, Octets(dn) + Tlv(0x30, list));
}

std::string DoneOp(uint8_t tag, int resultCode, std::string_view diagnostic) {
  return Tlv(tag, Integer(resultCode, 0x0a) + Octets("") + Octets(diagnostic));
}

std::string PagedControls(std::string_view cookie) {
  const std::string value = Tlv(0x30, Integer(0) + Octets(cookie));
  return Tlv(kControls, Tlv(0x30, Octets(kPagedResultsOid) + Octets(value)));
}

std::string Message(int messageId, std::string_view operation, std::string_view controls) {
  std::string content = Integer(messageId);
  content.append(operation);
  content.append(controls);
  return Tlv(0x30, content);
}

namespace {

// The length field at bytes[at]; nullopt while incomplete or when it cannot be one.
std::optional<std::pair<size_t, size_t>> LengthAt(std::string_view bytes, size_t at) {
  if (at >= bytes.size()) return std::nullopt;
  const auto first = static_cast<uint8_t>(bytes[at]);
  if (first < 0x80) return std::make_pair(static_cast<size_t>(first), size_t{1});
  const size_t digits = first & 0x7f;
  if (digits == 0 || digits > sizeof(size_t) || at + 1 + digits > bytes.size()) return std::nullopt;
  size_t length = 0;
  for (size_t i = 0; i < digits; ++i) {
    length = (length << 8) | static_cast<uint8_t>(bytes[at + 1 + i]);
  }
  return std::make_pair(length, 1 + digits);
}

}  // namespace

bool NextElement(std::string_view& in, Element& element) {
  if (in.empty()) return false;
  const auto length = LengthAt(in, 1);
  if (!length || length->first > in.size() - 1 - length->second) return false;
  element.tag = static_cast<uint8_t>(in[0]);
  element.content = in.substr(1 + length->second, length->first);
  in.remove_prefix(1 + length->second + length->first);
  return true;
}

std::optional<size_t> MessageLength(std::string_view bytes) {
  const auto length = LengthAt(bytes, 1);
  if (!length) return std::nullopt;
  return 1 + length->second + length->first;
}

int64_t IntegerOf(std::string_view content) {
  int64_t value = !content.empty() && (content[0] & 0x80) ? -1 : 0;
  for (char c : content) value = (value << 8) | static_cast<uint8_t>(c);
  return value;
}

namespace {

void DecodeControls(std::string_view controls, Request& request) {
  Element control;
  while (NextElement(controls, control)) {
    std::string_view parts = control.content;
    Element oid, part;
    if (!NextElement(parts, oid) || oid.content != kPagedResultsOid) continue;
    while (NextElement(parts, part)) {
      if (part.tag != 0x04) continue;  // the criticality
      std::string_view value = part.content;
      Element sequence, size, cookie;
      if (!NextElement(value, sequence)) break;
      std::string_view fields = sequence.content;
      if (NextElement(fields, size) && NextElement(fields, cookie)) {
        request.paged = true;
        request.pageSize = static_cast<int>(IntegerOf(size.content));
        request.cookie = std::string(cookie.content);
      }
    }
  }
}

}  // namespace

bool DecodeRequest(std::string_view message, Request& request) {
  request = Request{};
  Element whole, id, operation;
  if (!NextElement(message, whole)) return false;
  std::string_view parts = whole.content;
  if (!NextElement(parts, id) || !NextElement(parts, operation)) return false;
  request.messageId = static_cast<int>(IntegerOf(id.content));
  request.operation = operation.tag;
  if (operation.tag == kAbandonRequest) {
    request.abandoned = static_cast<int>(IntegerOf(operation.content));
    return true;
  }
  if (operation.tag != kSearchRequest) return true;
  std::string_view fields = operation.content;
  Element base, scope, skipped, attributes;
  if (!NextElement(fields, base) || !NextElement(fields, scope)) return false;
  request.base = std::string(base.content);
  request.scope = static_cast<int>(IntegerOf(scope.content));
  // derefAliases, sizeLimit, timeLimit, typesOnly, filter
  for (int i = 0; i < 5; ++i) {
    if (!NextElement(fields, skipped)) return false;
  }
  if (!NextElement(fields, attributes)) return false;
  std::string_view names = attributes.content;
  Element name;
  while (NextElement(names, name)) request.attributes.emplace_back(name.content);
  Element controls;
  if (NextElement(parts, controls) && controls.tag == kControls) {
    DecodeControls(controls.content, request);
  }
  return true;
}

}  // namespace vorlix::testing::ldap_messages
