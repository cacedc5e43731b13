#include "directory/value_rendering.h"

#include <algorithm>
#include <cstdio>
#include <utility>

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
  // The picture is put together in place, without allocating once it has grown to size.
  thread_local std::string picture;
  picture.assign(facts.shortDateFormat).append(1, ' ').append(facts.longTimeFormat);
  return platform::FormatDateTime(picture, platform::LocalDateTimeFromUnix(seconds), facts);
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
    piece = ValueAs<TextValue>(value).text;
    return TextEffect::kAppend;
  }
  if (IsIntegerSyntax(syntax)) {
    piece = Signed(ValueAs<WordValue>(value).word);
    return TextEffect::kReplace;
  }
  switch (syntax) {
    case SYN_BOOLEAN:
      piece = Boolean(ValueAs<WordValue>(value).word);
      break;
    case SYN_OCTET_STRING:
      piece = ValueAs<BytesValue>(value).bytes;
      break;
    case SYN_FAX_NUMBER:
      piece = ValueAs<TextValue>(value).text;
      break;
    case SYN_NET_ADDRESS: {
      const NetAddressValue& address = ValueAs<NetAddressValue>(value);
      piece = FormatNetAddress(static_cast<uint32_t>(address.addressType), address.address.size(),
                               address.address);
      break;
    }
    case SYN_PATH: {
      const PathValue& path = ValueAs<PathValue>(value);
      piece = TrimControls(path.volume) + ";" + TrimControls(path.path);
      break;
    }
    case SYN_BACK_LINK: {
      const BackLinkValue& link = ValueAs<BackLinkValue>(value);
      piece = link.objectName + ";" + Signed(link.remoteNumber);
      break;
    }
    case SYN_TYPED_NAME: {
      const TypedNameValue& name = ValueAs<TypedNameValue>(value);
      piece = name.objectName + ";" + Unsigned(name.level) + ";" + Unsigned(name.interval);
      break;
    }
    case SYN_HOLD: {
      const HoldValue& hold = ValueAs<HoldValue>(value);
      piece = TrimControls(hold.objectName) + ";" + Signed(hold.amount);
      break;
    }
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

void RenderForList(int32_t syntax, FetchedValue&& value, char separator, NameList& out) {
  if (TextValue* text = std::get_if<TextValue>(&value);
      text != nullptr && (IsTextSyntax(syntax) || syntax == SYN_FAX_NUMBER)) {
    out.push_back({std::move(text->text), {}});
    return;
  }
  RenderForList(syntax, std::as_const(value), separator, out);
}

void RenderForList(int32_t syntax, const FetchedValue& value, char separator, NameList& out) {
  const std::string s(1, separator);
  if (IsTextSyntax(syntax)) {
    out.push_back({ValueAs<TextValue>(value).text, {}});
    return;
  }
  const int32_t word = ValueAs<WordValue>(value).word;
  switch (syntax) {
    case SYN_BOOLEAN:
      out.push_back({Boolean(word), {}});
      break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
      out.push_back({Signed(word), {}});
      break;
    case SYN_TIME:
      out.push_back({FormatTimeStamp(word), {}});
      break;
    case SYN_FAX_NUMBER:
      out.push_back({ValueAs<TextValue>(value).text, {}});
      break;
    case SYN_EMAIL_ADDRESS: {
      const EmailAddressValue& mail = ValueAs<EmailAddressValue>(value);
      out.push_back({Signed(mail.addressType) + s + mail.address, {}});
      break;
    }
    case SYN_PATH: {
      const PathValue& path = ValueAs<PathValue>(value);
      out.push_back({TrimControls(path.volume) + s + TrimControls(path.path), {}});
      break;
    }
    case SYN_TYPED_NAME: {
      const TypedNameValue& name = ValueAs<TypedNameValue>(value);
      out.push_back({name.objectName + s + Unsigned(name.level) + s + Unsigned(name.interval), {}});
      break;
    }
    case SYN_BACK_LINK: {
      const BackLinkValue& link = ValueAs<BackLinkValue>(value);
      out.push_back({link.objectName, int64_t{link.remoteNumber}});
      break;
    }
    case SYN_HOLD: {
      const HoldValue& hold = ValueAs<HoldValue>(value);
      out.push_back({TrimControls(hold.objectName), int64_t{hold.amount}});
      break;
    }
    case SYN_REPLICA_POINTER: {
      const ReplicaPointerValue& pointer = ValueAs<ReplicaPointerValue>(value);
      TReplica replica;
      for (size_t i = 0; i < replica.words.size(); ++i) {
        replica.words[i] = static_cast<uint32_t>(pointer.words[i]);
      }
      out.push_back({pointer.serverName, replica});
      break;
    }
    case SYN_OBJECT_ACL: {
      const AclValue& acl = ValueAs<AclValue>(value);
      out.push_back(
          {acl.protectedAttribute, TACL2{acl.protectedAttribute, acl.subject,
                                         static_cast<uint32_t>(std::max(acl.privileges, 0))}});
      break;
    }
    case SYN_NET_ADDRESS: {
      const NetAddressValue& address = ValueAs<NetAddressValue>(value);
      if (address.address.size() > kMaxAddressBytes) {
        throw DirectoryArgumentError("Network address of " +
                                     std::to_string(address.address.size()) + " bytes; at most " +
                                     std::to_string(kMaxAddressBytes) + " are allowed");
      }
      out.push_back({"", TNetAddress{address.address, static_cast<uint32_t>(address.addressType)}});
      break;
    }
    case SYN_CI_LIST:
      for (const std::string& item : ValueAs<ListValue>(value).items) out.push_back({item, {}});
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
