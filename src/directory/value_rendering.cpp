#include "directory/value_rendering.h"

#include <algorithm>
#include <cstdio>

#include "directory/directory_layer.h"
#include "platform/date_time.h"
#include "platform/local_time.h"
#include "platform/locale_facts.h"
#include "platform/plain_text.h"

namespace vorlix::directory {

using platform::TrimControls;

namespace {

constexpr size_t kMaxAddressBytes = 255;

std::string Hex(unsigned char byte) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", byte);
  return digits;
}

std::string Signed(int32_t word) {
  return std::to_string(word);
}
std::string Unsigned(int32_t word) {
  return std::to_string(static_cast<uint32_t>(word));
}
std::string Boolean(int32_t word) {
  return word != 0 ? "TRUE" : "FALSE";
}

bool IsTextSyntax(int32_t syntax) {
  return (syntax >= SYN_DIST_NAME && syntax <= SYN_NU_STRING) || syntax == SYN_TEL_NUMBER ||
         syntax == SYN_CLASS_NAME;
}

bool IsIntegerSyntax(int32_t syntax) {
  return syntax == SYN_INTEGER || syntax == SYN_COUNTER || syntax == SYN_TIME ||
         syntax == SYN_INTERVAL;
}

}  // namespace

std::string FormatTimeStamp(int64_t seconds) {
  const platform::LocaleFacts& facts = platform::FormatSettings();
  return platform::FormatDateTime(facts.shortDateFormat + " " + facts.longTimeFormat,
                                  platform::LocalDateTimeFromUnix(seconds), facts);
}

std::string FormatNetAddress(uint32_t addressType, size_t length, const std::string& bytes) {
  const size_t n = std::min(length, bytes.size());
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  std::string text;
  switch (addressType) {
    case 0:  // IPX: network, node, socket
      for (size_t i = 0; i < n; ++i) {
        text += Hex(byte(i));
        if (i == 3) text += ' ';
        if (i == 9) text += ':';
      }
      return text;
    case 1:  // IP
      for (size_t i = 0; i < n; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(byte(i));
      }
      return text;
    case 8:  // UDP
    case 9:  // TCP: two port bytes, then the address
      if (n >= 2) {
        for (size_t i = 2; i < n; ++i) {
          if (i > 2) text += '.';
          text += std::to_string(byte(i));
        }
        return text + ":" + std::to_string(byte(0) * 256 + byte(1));
      }
      break;  // too short for a port: shown in hexadecimal
    case 13:  // URL: the low bytes of 16-bit characters
      for (size_t i = 0; i < n; i += 2) text += bytes[i];
      return text;
    default:
      break;
  }
  for (size_t i = 0; i < n; ++i) text += Hex(byte(i));
  return text;
}

bool FetchedInTextRead(int32_t syntax) {
  return syntax >= 0 && syntax <= kHighestSyntax && syntax != SYN_REPLICA_POINTER;
}

bool FetchedInListRead(int32_t syntax) {
  return syntax >= 0 && syntax <= kHighestSyntax;
}

TextEffect RenderForText(int32_t syntax, const FetchedValue& value, std::string& piece) {
  if (IsTextSyntax(syntax)) {
    piece = value.text;
    return TextEffect::kAppend;
  }
  if (IsIntegerSyntax(syntax)) {
    piece = Signed(value.word[0]);
    return TextEffect::kReplace;
  }
  switch (syntax) {
    case SYN_BOOLEAN:
      piece = Boolean(value.word[0]);
      break;
    case SYN_OCTET_STRING:
    case SYN_FAX_NUMBER:
      piece = value.text;
      break;
    case SYN_NET_ADDRESS:
      piece = FormatNetAddress(static_cast<uint32_t>(value.word[0]),
                               static_cast<uint32_t>(value.word[1]), value.text);
      break;
    case SYN_PATH:
      piece = TrimControls(value.text) + ";" + TrimControls(value.text2);
      break;
    case SYN_BACK_LINK:
      piece = value.text + ";" + Signed(value.word[0]);
      break;
    case SYN_TYPED_NAME:
      piece = value.text + ";" + Unsigned(value.word[0]) + ";" + Unsigned(value.word[1]);
      break;
    case SYN_HOLD:
      piece = TrimControls(value.text) + ";" + Signed(value.word[0]);
      break;
    case SYN_UNKNOWN:
    case SYN_CI_LIST:
    case SYN_OCTET_LIST:
    case SYN_EMAIL_ADDRESS:
    case SYN_OBJECT_ACL:
    case SYN_PO_ADDRESS:
    case SYN_TIMESTAMP:
    case SYN_STREAM:
      piece = "Too Complex";
      break;
    default:
      return TextEffect::kNone;
  }
  return TextEffect::kReplace;
}

void RenderForList(int32_t syntax, const FetchedValue& value, char separator, NameList& out) {
  const std::string s(1, separator);
  if (IsTextSyntax(syntax)) {
    out.push_back({value.text, {}});
    return;
  }
  switch (syntax) {
    case SYN_BOOLEAN:
      out.push_back({Boolean(value.word[0]), {}});
      break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
      out.push_back({Signed(value.word[0]), {}});
      break;
    case SYN_TIME:
      out.push_back({FormatTimeStamp(value.word[0]), {}});
      break;
    case SYN_FAX_NUMBER:
      out.push_back({value.text, {}});
      break;
    case SYN_EMAIL_ADDRESS:
      out.push_back({Signed(value.word[0]) + s + value.text, {}});
      break;
    case SYN_PATH:
      out.push_back({TrimControls(value.text) + s + TrimControls(value.text2), {}});
      break;
    case SYN_TYPED_NAME:
      out.push_back({value.text + s + Unsigned(value.word[0]) + s + Unsigned(value.word[1]), {}});
      break;
    case SYN_BACK_LINK:
      out.push_back({value.text, int64_t{value.word[0]}});
      break;
    case SYN_HOLD:
      out.push_back({TrimControls(value.text), int64_t{value.word[0]}});
      break;
    case SYN_REPLICA_POINTER: {
      TReplica replica;
      for (size_t i = 0; i < replica.words.size(); ++i) {
        replica.words[i] = static_cast<uint32_t>(value.word[i]);
      }
      out.push_back({value.text, replica});
      break;
    }
    case SYN_OBJECT_ACL:
      out.push_back({value.text, TACL2{value.text, value.text2,
                                       static_cast<uint32_t>(std::max(value.word[0], 0))}});
      break;
    case SYN_NET_ADDRESS: {
      const auto length = static_cast<uint32_t>(value.word[1]);
      if (length > kMaxAddressBytes) {
        throw DirectoryArgumentError("Network address of " + std::to_string(length) +
                                     " bytes; at most " + std::to_string(kMaxAddressBytes) +
                                     " are allowed");
      }
      out.push_back(
          {"", TNetAddress{value.text.substr(0, length), static_cast<uint32_t>(value.word[0])}});
      break;
    }
    case SYN_CI_LIST:
      for (const std::string& item : value.items) out.push_back({item, {}});
      out.push_back({"", int64_t{1}});
      break;
    case SYN_UNKNOWN:
    case SYN_OCTET_STRING:
    case SYN_OCTET_LIST:
    case SYN_PO_ADDRESS:
    case SYN_TIMESTAMP:
    case SYN_STREAM:
      out.push_back({"too complex", {}});
      break;
    default:
      break;
  }
}

}  // namespace vorlix::directory
