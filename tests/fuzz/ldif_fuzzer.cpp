// The LDIF reader and the embedded client over it: the input is a tree file. When it loads, every
// object is searched for and read through the directory layer in all three shapes, in typeless
// and typed spelling, and every attribute of it by its own name. Errors are fine; a crash, a
// leak or a buffer, filter or iteration left open is not.

#include <cstddef>
#include <cstdint>
#include <string>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"
#include "directory_checks.h"
#include "fuzz_support.h"

namespace {

using namespace vorlix::directory;
using vorlix::fuzz::ExpectNothingOpen;
using vorlix::fuzz::Try;

constexpr size_t kMaxObjects = 40;

// The names of every attribute the object has, read with the client's all-attributes read.
std::vector<std::string> AttributeNames(EmbeddedClient& client, Context context,
                                        const std::string& object) {
  std::vector<std::string> names;
  Buffer request = 0, reply = 0;
  if (client.dsBufferNew(kBufferSize, request) != kOk) return names;
  if (client.dsBufferNew(kBufferSize, reply) != kOk) {
    client.dsBufferDelete(request);
    return names;
  }
  client.dsBufferPrepare(context, kOpRead, request);
  Iteration iteration = kNoIteration;
  do {
    if (client.dsReadEntry(context, object, kInfoNamesAndValues, kAllAttributes, request, iteration,
                           reply) != kOk)
      break;
    int32_t count = 0;
    if (client.dsAttrCount(context, reply, count) != kOk) break;
    for (int32_t a = 0; a < count; ++a) {
      std::string name;
      int32_t values = 0, syntax = 0;
      if (client.dsNextAttr(context, reply, name, values, syntax) != kOk) break;
      if (names.empty() || names.back() != name) names.push_back(name);
    }
  } while (iteration != kNoIteration);
  if (iteration != kNoIteration) client.dsEndIteration(context, iteration, kOpRead);
  client.dsBufferDelete(request);
  client.dsBufferDelete(reply);
  return names;
}

void ReadEverything(EmbeddedClient& client, Context context, const std::string& object) {
  static const char* const kNamed[] = {"Member",
                                       "Description",
                                       "Telephone Number",
                                       "WM:NAME User",
                                       "WM:Last Registered Time",
                                       "ZEN:INV IP Address"};
  std::vector<std::string> attributes(std::begin(kNamed), std::end(kNamed));
  for (std::string& name : AttributeNames(client, context, object)) attributes.push_back(name);
  ExpectNothingOpen(client, "the all-attributes read");
  for (const std::string& attribute : attributes) {
    Try(client, "ReadAttributeText",
        [&] { ReadAttributeText(client, context, object, attribute); });
    Try(client, "ReadAttributeList", [&] {
      for (const NameEntry& entry : ReadAttributeList(client, context, object, attribute, ';')) {
        // Names handed out must be accepted back.
        if (attribute == "Member") {
          Try(client, "LocateValue",
              [&] { client.LocateValue(context, object, attribute, entry.text); });
        }
      }
    });
    Try(client, "ReadAttributeInteger",
        [&] { ReadAttributeInteger(client, context, object, attribute, 0); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = vorlix::fuzz::ScratchPath("tree.ldif");
  vorlix::fuzz::WriteFile(path, data, size);
  EmbeddedClient client(path);
  if (client.calStartup(0, 0) != kOk) {
    if (client.StartupFailureReason().empty())
      vorlix::fuzz::Fail("a failed start-up gives no reason");
    return 0;
  }
  const OpenContextResult opened = OpenDirectoryContext(client, kPlainContext);
  if (!opened.ok) vorlix::fuzz::Fail("the context of a started client does not open");
  Try(client, "ReadTreeName", [&] { ReadTreeName(client, opened.context); });

  // Every object, by the search the lookup makes with an empty text, and by class.
  NameList everything;
  Try(client, "FindObjectsByName",
      [&] { everything = FindObjectsByName(client, opened.context, "[root]", "", "CN", ""); });
  for (const char* cls : {"Group", "zenWorkstationGroup"}) {
    Try(client, "FindObjectsByName",
        [&] { FindObjectsByName(client, opened.context, "[root]", cls, "CN", ""); });
  }
  for (size_t i = 0; i < everything.size() && i < kMaxObjects; ++i) {
    const std::string& object = everything[i].text;
    ReadEverything(client, opened.context, object);
    Try(client, "FindObjectsByName below an object",
        [&] { FindObjectsByName(client, opened.context, object, "", "CN", object.substr(0, 3)); });
  }

  // The same in typed spelling.
  client.dsContextSet(opened.context, kKeyFlags, 0);
  NameList typed;
  Try(client, "FindObjectsByName typed",
      [&] { typed = FindObjectsByName(client, opened.context, "[root]", "", "CN", ""); });
  for (size_t i = 0; i < typed.size() && i < kMaxObjects / 4; ++i) {
    ReadEverything(client, opened.context, typed[i].text);
  }

  client.dsCloseContext(opened.context);
  client.calShutdown(0);
  return 0;
}
