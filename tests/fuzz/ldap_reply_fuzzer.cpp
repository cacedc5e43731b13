// The LDAP client's reading of server replies: the input is what a stand-in server answers
// (support/fake_ldap_server.h), one chunk per search it receives, chunks parted by
// kChunkSeparator. A chunk holds protocol operations as BER elements, each sent as one message of
// the request's id; a controls element (tag 0xA0) goes with the operation before it, and bytes
// that form no element go out as they are. A chunk that does not end with a search result ends
// the connection, so no run waits for a timeout.
//
// Against those answers the client starts, finds the groups, and reads the members, descriptions
// and phones of the first ones as a lookup does. Errors are fine; these are not:
//   - a crash, a leak, a hang, or a buffer, filter or iteration left open;
//   - a failed search that does not say why (the client has no account of the failure);
//   - a name found that no entry of the answers to the search spelled.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "directory/directory_layer.h"
#include "directory/ldap_client.h"
#include "directory/value_conversion.h"
#include "directory_checks.h"
#include "fuzz_support.h"
#include "support/fake_ldap_server.h"

namespace {

using namespace vorlix::directory;
using vorlix::fuzz::ExpectNothingOpen;
using vorlix::fuzz::Try;
namespace messages = vorlix::testing::ldap_messages;
using vorlix::testing::FakeLdapServer;
using vorlix::testing::LdapAnswer;

constexpr std::string_view kChunkSeparator = "\xde\xad\xbe\xef";
constexpr size_t kMaxGroups = 2;
constexpr size_t kMaxMembers = 6;

// The answers still to give, and the names of the entries given while the search watched runs.
class Script {
 public:
  Script(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (size_t at; (at = input.find(kChunkSeparator)) != std::string_view::npos;) {
      chunks_.emplace_back(input.substr(0, at));
      input.remove_prefix(at + kChunkSeparator.size());
    }
    chunks_.emplace_back(input);
  }

  void Answer(LdapAnswer& answer) {
    std::string chunk;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (next_ == chunks_.size()) {
        answer.Close();
        return;
      }
      chunk = chunks_[next_++];
    }
    std::string_view rest = chunk;
    messages::Element element;
    std::string operation;
    uint8_t last = 0;
    while (messages::NextElement(rest, element)) {
      const std::string whole = messages::Tlv(element.tag, element.content);
      if (element.tag == messages::kControls && !operation.empty()) {
        answer.Raw(operation, whole);
        operation.clear();
        continue;
      }
      if (!operation.empty()) answer.Raw(operation);
      operation = whole;
      last = element.tag;
      if (element.tag == messages::kSearchEntry) Watch(element.content);
    }
    if (!operation.empty()) answer.Raw(operation);
    if (!rest.empty()) {
      answer.Bytes(std::string(rest));
      last = 0;
    }
    if (last != messages::kSearchDone) answer.Close();
  }

  // Names of the entries answered from now on are kept.
  void StartWatching() {
    std::lock_guard<std::mutex> lock(mutex_);
    watching_ = true;
    spelled_.clear();
  }
  void StopWatching() {
    std::lock_guard<std::mutex> lock(mutex_);
    watching_ = false;
  }
  bool Spelled(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    return spelled_.count(name) != 0;
  }

 private:
  void Watch(std::string_view entry) {
    messages::Element dn;
    std::lock_guard<std::mutex> lock(mutex_);
    if (watching_ && messages::NextElement(entry, dn)) {
      spelled_.insert(WrittenNameSpelling(dn.content, NameForm::kTypeless));
    }
  }

  std::mutex mutex_;
  std::vector<std::string> chunks_;
  size_t next_ = 0;
  bool watching_ = false;
  std::set<std::string> spelled_;
};

NameList FindGroups(LdapClient& client, Context context, Script& script) {
  NameList found;
  script.StartWatching();
  try {
    found = FindObjectsByName(client, context, "[root]", "Group", "CN", "");
  } catch (const DirectoryError& error) {
    if (client.LastFailureDetail().empty()) {
      vorlix::fuzz::Fail(std::string("a failed search says no more than ") + error.what());
    }
  }
  script.StopWatching();
  ExpectNothingOpen(client, "FindObjectsByName");
  for (const NameEntry& name : found) {
    if (!script.Spelled(name.text)) {
      vorlix::fuzz::Fail("the search found \"" + name.text + "\", which no entry spelled");
    }
  }
  return found;
}

void ReadGroup(LdapClient& client, Context context, const std::string& group) {
  ReadAheadPlan plan{group, "Member", {{{"Telephone Number"}, ""}}, {"Description"}};
  client.dsReadAhead(context, plan);
  NameList members;
  Try(client, "ReadAttributeList",
      [&] { members = ReadAttributeList(client, context, group, "Member", ';'); });
  Try(client, "ReadAttributeText",
      [&] { ReadAttributeText(client, context, group, "Description"); });
  for (size_t i = 0; i < members.size() && i < kMaxMembers; ++i) {
    Try(client, "ReadAttributeText",
        [&] { ReadAttributeText(client, context, members[i].text, "Telephone Number"); });
  }
  client.dsReadAhead(context, ReadAheadPlan{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Script script(data, size);
  FakeLdapServer server([&script](LdapAnswer& answer) { script.Answer(answer); });
  DirectorySource source;
  source.source = server.Url("o=t");
  source.timeoutSeconds = 1;
  LdapClient client(source);
  if (client.calStartup(0, 0) != kOk) {
    if (client.StartupFailureReason().empty()) {
      vorlix::fuzz::Fail("a failed start-up gives no reason");
    }
    return 0;
  }
  const OpenContextResult opened = OpenDirectoryContext(client, kPlainContext);
  if (!opened.ok) vorlix::fuzz::Fail("the context of a started client does not open");
  const NameList groups = FindGroups(client, opened.context, script);
  for (size_t i = 0; i < groups.size() && i < kMaxGroups; ++i) {
    ReadGroup(client, opened.context, groups[i].text);
  }
  Try(client, "ReadAttributeInteger",
      [&] { ReadAttributeInteger(client, opened.context, "x.t", "WM:Last Registered Time", 0); });
  client.dsCloseContext(opened.context);
  client.calShutdown(0);
  return 0;
}
