#pragma once
// The program's way into the directory: one context, one kind of error, a search by class and
// name pattern, and attribute reads in three shapes (text, list, integer).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "directory/directory_client.h"
#include "directory/name_list.h"

namespace vorlix::directory {

// The error raised for a failed client call: "Netware error %0:d (0x%0:X)". A failed read goes
// on to say what was read and what the client can tell about the fault: for a tree file where it
// lies, for a directory server what the server said:
// Netware error -613 (0xFFFFFD9B) reading "WM:Last Registered Time" of "WS-1.ws.acme":
// tree.ldif:40: ...
// Other calls add what the client or server said after ": " too:
// Netware error -672 (0xFFFFFD60): Searching o=acme: Insufficient access (50): ...
class DirectoryError : public std::runtime_error {
 public:
  // The error of any other call; serverText (may be empty) follows after ": ".
  explicit DirectoryError(int32_t code, const std::string& serverText = "");
  // The error of a read of attribute of object; detail (may be empty) follows after ": ".
  DirectoryError(int32_t code, const std::string& object, const std::string& attribute,
                 const std::string& detail);
  int32_t code() const { return code_; }
  // The object and attribute being read when the call failed; empty for other calls.
  const std::string& object() const { return object_; }
  const std::string& attribute() const { return attribute_; }
  // The same error with more text after its message.
  DirectoryError Extended(const std::string& more) const;

 private:
  DirectoryError(const std::string& message, const DirectoryError& from);

  int32_t code_;
  std::string object_;
  std::string attribute_;
};

// Raised for texts beyond the layer's limits and other bad arguments; never cuts text silently.
class DirectoryArgumentError : public std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// Returns when code is 0, else throws DirectoryError(code).
void CheckDirectoryResult(int32_t code);

struct OpenContextResult {
  Context context = kNoContext;  // the handle from dsOpenContext, kNoContext when none was made
  bool ok = false;
};
// The two options of a new context: whether it keeps names canonical (flag bit 0x10) and whether
// it follows aliases (0x1). Either off clears its bit; the context always spells names typeless.
struct ContextOptions {
  bool canonicalizeNames = false;
  bool derefAliases = false;
};
// Both options off: the context the program works with.
inline constexpr ContextOptions kPlainContext{};
OpenContextResult OpenDirectoryContext(DirectoryClient& client, ContextOptions options);

std::string ReadTreeName(DirectoryClient& client, Context context);

// Text limits of names and patterns, in characters (not UTF-8 bytes). A longer text is refused
// with DirectoryArgumentError naming the limit.
inline constexpr size_t kMaxObjectName = 512;     // object names in reads
inline constexpr size_t kMaxAttributeName = 200;  // attribute names
inline constexpr size_t kMaxSearchBase = 514;     // search base
inline constexpr size_t kMaxFilterValue = 256;    // class, naming attribute, name pattern + "*"
// The limit of one value in the text read, in bytes.
inline constexpr size_t kMaxTextValue = 60000;

// Refuses an object or attribute name beyond its limit, and an object name with an empty
// component (DottedNameFault), as every attribute read does before it asks the client, so that
// every client refuses it alike; callers that treat such names as bad input check them first.
void CheckReadNames(const std::string& object, const std::string& attribute);

// Full names of the objects of class cls (any class when empty) below base whose naming attribute
// matches pattern + "*". Every failure, while building the filter or of the search itself (a
// refusal, a list cut short, a base that does not exist), raises its DirectoryError.
NameList FindObjectsByName(DirectoryClient& client, Context context, const std::string& base,
                           const std::string& cls, const std::string& namingAttribute,
                           const std::string& pattern);

// Runs a built filter (used up, also on failure) below base and returns the full names of the
// objects it matches, each once (names compared without regard to case). Any failure raises
// its DirectoryError, with what the client can say about it: a list that may be incomplete is
// never passed off as the whole.
NameList SearchObjects(DirectoryClient& client, Context context, const std::string& base,
                       FilterCursor filter, int32_t scope, const NameList& requestedAttributes);

// Attribute reads. A missing attribute gives an empty text, an empty list or defaultValue; a
// missing object raises DirectoryError(-601).
std::string ReadAttributeText(DirectoryClient& client, Context context, const std::string& object,
                              const std::string& attribute);
NameList ReadAttributeList(DirectoryClient& client, Context context, const std::string& object,
                           const std::string& attribute, char separator);
// The texts of ReadAttributeList alone, for a long list whose values are names: a text costs
// far less memory than a list entry.
std::vector<std::string> ReadAttributeTexts(DirectoryClient& client, Context context,
                                            const std::string& object, const std::string& attribute,
                                            char separator);
int32_t ReadAttributeInteger(DirectoryClient& client, Context context, const std::string& object,
                             const std::string& attribute, int32_t defaultValue);

}  // namespace vorlix::directory
