#pragma once
// LDAP messages (RFC 4511) as BER bytes, written and read by hand, for the stand-in server of the
// tests and the fuzz targets: they must be able to say exactly what a misbehaving server says.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlix::testing::ldap_messages {

// Tags of the protocol operations and of the parts of a message.
inline constexpr uint8_t kBindRequest = 0x60;
inline constexpr uint8_t kBindResponse = 0x61;
inline constexpr uint8_t kUnbindRequest = 0x42;
inline constexpr uint8_t kSearchRequest = 0x63;
inline constexpr uint8_t kSearchEntry = 0x64;
inline constexpr uint8_t kSearchDone = 0x65;
inline constexpr uint8_t kSearchReference = 0x73;
inline constexpr uint8_t kAbandonRequest = 0x50;
inline constexpr uint8_t kControls = 0xa0;
inline constexpr char kPagedResultsOid[] = "1.2.840.113556.1.4.319";

// A tag, its length and content.
std::string Tlv(uint8_t tag, std::string_view content);
std::string Integer(int64_t value, uint8_t tag = 0x02);
std::string Octets(std::string_view text, uint8_t tag = 0x04);

using Attributes = std::vector<std::pair<std::string, std::vector<std::string>>>;

// The protocol operation of a search entry, and of the result that ends a search or a bind.
std::string EntryOp(std::string_view dn, const Attributes& attributes);
std::string DoneOp(uint8_t tag, int resultCode, std::string_view diagnostic);
// The controls part of a search result with a paged-results response.
std::string PagedControls(std::string_view cookie);
// A whole message: the id, the operation and (may be empty) its controls part.
std::string Message(int messageId, std::string_view operation, std::string_view controls = {});

// Reads the next element of in (and moves past it); false when in holds no whole element.
struct Element {
  uint8_t tag = 0;
  std::string_view content;
};
bool NextElement(std::string_view& in, Element& element);
// The length of the whole message at the start of bytes; nullopt while more bytes are needed.
std::optional<size_t> MessageLength(std::string_view bytes);
int64_t IntegerOf(std::string_view content);

// A request as the server decodes it.
struct Request {
  int messageId = 0;
  uint8_t operation = 0;  // one of the request tags above
  std::string base;
  int scope = 0;
  std::vector<std::string> attributes;
  bool paged = false;
  int pageSize = 0;
  std::string cookie;
  int abandoned = 0;  // the message id an abandon request names
};
// Decodes one message; false when it is no request this module knows.
bool DecodeRequest(std::string_view message, Request& request);

}  // namespace vorlix::testing::ldap_messages
