#pragma once
// Numbers that the directory layer and the clients agree on: result codes, context keys and
// flag bits, buffer operations, filter tokens, search scopes and syntax numbers.

#include <cstdint>

namespace vorlix::directory {

// Result codes (signed 32-bit; 0 is success).
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kErrClientNotStarted = -1;  // calStartup not run or failed
inline constexpr int32_t kErrBadHandle = -322;       // unknown context, buffer, filter or iteration
inline constexpr int32_t kErrEndOfReply = -341;      // read past the last object/attribute/value
inline constexpr int32_t kErrNoSuchEntry = -601;     // the object does not exist
inline constexpr int32_t kErrNoSuchAttribute =
    -603;  // the object has none of the requested attributes
inline constexpr int32_t kErrInvalidRequest = -641;  // malformed filter, wrong buffer use, bad key
inline constexpr int32_t kErrInsufficientBuffer = -649;  // a single value does not fit in a reply
// Codes of a client over a directory server.
inline constexpr int32_t kErrTransportFailure = -625;  // the server is down, unreachable or silent
inline constexpr int32_t kErrRemoteFailure = -635;     // the server failed the request otherwise
inline constexpr int32_t kErrFailedAuthentication = -669;  // wrong name or password
inline constexpr int32_t kErrNoAccess = -672;  // the server refuses: access rights, unwilling
// A server's size or time limit, or a referral that is not followed, cut a search short: the
// list is incomplete. A code of this program's own; no directory client has one.
inline constexpr int32_t kErrListIncomplete = -2;

// Size of every request and reply buffer.
inline constexpr int32_t kBufferSize = 4096;

// Iteration handle of no open iteration.
using Iteration = int32_t;
inline constexpr Iteration kNoIteration = -1;

// Context keys of dsContextGet / dsContextSet.
inline constexpr int32_t kKeyFlags = 1;            // 32-bit flag word
inline constexpr int32_t kKeyConfidence = 2;       // 32-bit value
inline constexpr int32_t kKeyTransportHandle = 8;  // conversion handle
inline constexpr int32_t kKeyTreeName = 11;        // tree name text

// Bits of the flag word.
inline constexpr uint32_t kFlagDerefAliases = 0x1;
inline constexpr uint32_t kFlagTypelessNames = 0x4;
inline constexpr uint32_t kFlagCanonicalizeNames = 0x10;
inline constexpr uint32_t kFlagDisallowReferrals = 0x80;

// Buffer operations of dsBufferPrepare and dsEndIteration.
inline constexpr int32_t kOpRead = 3;
inline constexpr int32_t kOpSearch = 6;
inline constexpr int32_t kOpFilter = 28;

// Search scopes.
inline constexpr int32_t kScopeEntry = 0;
inline constexpr int32_t kScopeOneLevel = 1;
inline constexpr int32_t kScopeSubtree = 2;

// Filter tokens of dsFilterToken.
inline constexpr int32_t kTokEnd = 0;
inline constexpr int32_t kTokOr = 1;
inline constexpr int32_t kTokAnd = 2;
inline constexpr int32_t kTokNot = 3;
inline constexpr int32_t kTokLParen = 4;
inline constexpr int32_t kTokRParen = 5;
inline constexpr int32_t kTokValue = 6;
inline constexpr int32_t kTokEqual = 7;
inline constexpr int32_t kTokGreaterEqual = 8;
inline constexpr int32_t kTokLessEqual = 9;
inline constexpr int32_t kTokApprox = 10;
inline constexpr int32_t kTokAttrName = 14;
inline constexpr int32_t kTokPresent = 15;
inline constexpr int32_t kTokBaseClass = 17;

// Syntax numbers of attribute values.
enum Syntax : int32_t {
  SYN_UNKNOWN = 0,
  SYN_DIST_NAME = 1,
  SYN_CE_STRING = 2,
  SYN_CI_STRING = 3,
  SYN_PR_STRING = 4,
  SYN_NU_STRING = 5,
  SYN_CI_LIST = 6,
  SYN_BOOLEAN = 7,
  SYN_INTEGER = 8,
  SYN_OCTET_STRING = 9,
  SYN_TEL_NUMBER = 10,
  SYN_FAX_NUMBER = 11,
  SYN_NET_ADDRESS = 12,
  SYN_OCTET_LIST = 13,
  SYN_EMAIL_ADDRESS = 14,
  SYN_PATH = 15,
  SYN_REPLICA_POINTER = 16,
  SYN_OBJECT_ACL = 17,
  SYN_PO_ADDRESS = 18,
  SYN_TIMESTAMP = 19,
  SYN_CLASS_NAME = 20,
  SYN_STREAM = 21,
  SYN_COUNTER = 22,
  SYN_BACK_LINK = 23,
  SYN_TIME = 24,
  SYN_TYPED_NAME = 25,
  SYN_HOLD = 26,
  SYN_INTERVAL = 27,
};
inline constexpr int32_t kHighestSyntax = 27;

}  // namespace vorlix::directory
