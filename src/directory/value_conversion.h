#pragma once
// How the embedded client turns the text of a value in the tree file into the fetched layout of
// its syntax, and how fetched values travel inside a 4096-byte reply.
//
// Value texts in the tree file, by syntax:
//   1 (name)                  an LDAP distinguished name; handed out as a dotted name
//   2-5, 10, 11, 20           the text
//   7                         TRUE or FALSE
//   8, 22, 27                 a signed 32-bit decimal number
//   24                        Generalized Time (20240115103000Z, optional fraction and offset)
//                             or seconds since 1970
//   0, 9, 13, 18, 19, 21      the raw bytes (base64 in the file when not plain text)
//   12                        type#octets (the octets raw, so base64 in the file)
//   14                        type#text
//   15                        namespace#volume#path
//   6                         elements joined by "$"
//   16                        server#word#word#word#word#word#word (words 1 to 6)
//   17                        protectedAttribute#subject#privileges
//   23                        remoteNumber#name
//   25                        name#level#interval
//   26                        name#amount

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "directory/directory_client.h"
#include "directory/dotted_name.h"

namespace vorlix::directory {

// The dotted spelling (typed or typeless) of an LDAP name written in a value.
using NameSpelling = std::function<std::string(std::string_view dn, NameForm form)>;

// The dotted spelling of the LDAP name dn as written; dn itself when it is no name.
std::string WrittenNameSpelling(std::string_view dn, NameForm form);

// The fetched layout of a value text; nullopt when the text does not fit the syntax. names chooses
// the spelling of names within the value; spell gives it (default: as written).
std::optional<FetchedValue> ConvertValue(int32_t syntax, std::string_view text, NameForm names,
                                         const NameSpelling& spell = WrittenNameSpelling);

// Why ConvertValue refuses text for syntax, for messages: "is not a valid time (...)".
std::string RefusalReason(int32_t syntax, std::string_view text);

// Seconds since 1970 of a Generalized Time text (or a plain decimal number of seconds); nullopt
// for a text that is neither, or names a date that does not exist.
std::optional<int64_t> ParseGeneralizedTime(std::string_view text);

// Seconds since 1970 of a Windows time (Active Directory's Large Integer times such as
// lastLogonTimestamp: 100-nanosecond steps since 1601-01-01 00:00 UTC, in decimal). 0 and the
// largest value, which mean "never", give 0, the time of a value that is not there. nullopt for a
// text that is no such number.
std::optional<int64_t> ParseWindowsTime(std::string_view text);

// A value's bytes inside a reply, and back. DecodeValue returns false on a short buffer.
std::string EncodeValue(int32_t syntax, const FetchedValue& value);
bool DecodeValue(int32_t syntax, std::string_view bytes, FetchedValue& value);
// The bytes EncodeValue gives for a value, counted without writing them.
size_t EncodedSize(int32_t syntax, const FetchedValue& value);
// Makes value what a reply gives back for it: a value with its syntax's layout (as every client
// converts it) stays as it is; one of another layout is encoded and decoded.
void AsReplyGives(int32_t syntax, FetchedValue& value);

// What dsValueSize reports for a value: the bytes of its fetched layout (texts with their NUL).
int32_t FetchedSize(int32_t syntax, const FetchedValue& value);

}  // namespace vorlix::directory
