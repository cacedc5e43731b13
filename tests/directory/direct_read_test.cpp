// A client's direct read against the read through reply buffers: every case, read both ways on two
// clients over the same tree, gives the same values, errors, details and reply parts.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"
#include "fault_client.h"

namespace vorlix::directory {
namespace {

using testing::FaultClient;

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// The tree of every syntax, with entries whose values run over several parts and fail late.
std::string WriteTree() {
  std::ifstream in(VORLIX_TEST_DATA_DIR "/directory/syntaxes.ldif");
  std::stringstream tree;
  tree << in.rdbuf() << "\ndn: cn=long,o=acme\nobjectClass: valueHolder\ncn: long\n";
  for (int i = 0; i < 400; ++i) {  // names of entries that exist and of ones that do not
    tree << "syn1: cn=" << (i % 3 == 0 ? "values" : "gone" + std::to_string(i)) << ",o=acme\n";
  }
  for (int i = 0; i < 2000; ++i) tree << "syn8: " << i << "\n";
  tree << "syn8: 12x\n";  // fails after several parts
  for (int i = 0; i < 30; ++i) tree << "syn3: short " << i << "\n";
  tree << "syn3: " << std::string(5000, 'v') << "\n";  // too large after a first part
  tree << "syn2: " << std::string(5000, 'w') << "\nsyn2: after\n";
  tree << "syn1:\n";  // the placeholder of an empty group: no value
  // An address too long for the list read in the first part, a bad one parts later.
  const std::string longAddress = "9#" + std::string(300, '\x07');
  tree << "syn12:: " << Base64(longAddress) << "\n";
  for (int i = 0; i < 600; ++i) tree << "syn12:: " << Base64("1#abcd") << "\n";
  tree << "syn12: x\n";
  // The same, both in the part that fails: the fault comes first.
  tree << "\ndn: cn=tail,o=acme\nobjectClass: valueHolder\ncn: tail\n";
  for (int i = 0; i < 600; ++i) tree << "syn12:: " << Base64("1#abcd") << "\n";
  tree << "syn12:: " << Base64(longAddress) << "\nsyn12: x\n";
  tree << "syn24: 20240115083000Z\nsyn24: 99999999999999Z\n";
  const std::string path = ::testing::TempDir() + "/direct-read.ldif";
  std::ofstream(path) << tree.str();
  return path;
}

// An embedded client that may hand out byte values in the layout of texts, as a careless client
// might; a reply gives them back as bytes all the same.
class MislabellingClient : public EmbeddedClient {
 public:
  using EmbeddedClient::EmbeddedClient;
  bool mislabel = false;

 protected:
  int32_t ReadObject(const std::string& object, bool allAttributes,
                     const std::vector<std::string>& names, bool typed,
                     std::vector<ReadAttribute>& attributes) override {
    const int32_t r = EmbeddedClient::ReadObject(object, allAttributes, names, typed, attributes);
    for (ReadAttribute& attribute : attributes) {
      for (FetchedValue& value : attribute.values) {
        if (auto* bytes = std::get_if<BytesValue>(&value); bytes && mislabel) {
          value = TextValue{std::move(bytes->bytes)};
        }
      }
    }
    return r;
  }
};

enum class Shape { kText, kList, kTexts, kInteger };

struct Read {
  std::string object;
  std::string attribute;
};

// What a read gave, its error with code and message, the client's detail afterwards and the
// reply parts it took.
std::string Outcome(DirectoryClient& client, const BufferedClient& counted, Context context,
                    Shape shape, const Read& read) {
  const size_t partsBefore = counted.RepliesFilled();
  std::string outcome;
  try {
    switch (shape) {
      case Shape::kText:
        outcome = "text " + ReadAttributeText(client, context, read.object, read.attribute);
        break;
      case Shape::kList:
        outcome = "list";
        for (const NameEntry& e :
             ReadAttributeList(client, context, read.object, read.attribute, ';')) {
          outcome += " [" + e.text + "]";
        }
        break;
      case Shape::kTexts:
        outcome = "texts";
        for (const std::string& text :
             ReadAttributeTexts(client, context, read.object, read.attribute, '|')) {
          outcome += " [" + text + "]";
        }
        break;
      case Shape::kInteger:
        outcome = "integer " + std::to_string(ReadAttributeInteger(client, context, read.object,
                                                                   read.attribute, -7));
        break;
    }
  } catch (const DirectoryError& e) {
    outcome = "DirectoryError " + std::to_string(e.code()) + " " + e.what();
  } catch (const DirectoryArgumentError& e) {
    outcome = std::string("DirectoryArgumentError ") + e.what();
  }
  return outcome + " | detail " + client.LastFailureDetail() + " | parts " +
         std::to_string(counted.RepliesFilled() - partsBefore);
}

TEST(DirectoryDirectReadTest, GivesWhatTheReadThroughBuffersGives) {
  const std::string path = WriteTree();
  MislabellingClient direct(path), buffered(path);
  FaultClient throughBuffers(buffered);  // a wrapper has no direct path
  // Before start-up both refuse the read alike.
  EXPECT_EQ(Outcome(direct, direct, 1, Shape::kText, {"values.acme", "CI String"}),
            Outcome(throughBuffers, buffered, 1, Shape::kText, {"values.acme", "CI String"}));
  ASSERT_EQ(direct.calStartup(0, 0), 0) << direct.StartupFailureReason();
  ASSERT_EQ(buffered.calStartup(0, 0), 0);
  const Context context = OpenDirectoryContext(direct, kPlainContext).context;
  ASSERT_EQ(OpenDirectoryContext(buffered, kPlainContext).context, context);
  Context typed = kNoContext;
  ASSERT_EQ(direct.dsOpenContext(typed), 0);
  ASSERT_EQ(buffered.dsOpenContext(typed), 0);

  std::vector<Read> reads;
  for (const char* name :
       {"Unknown Value", "Dist Name",  "CE String", "CI String", "PR String", "NU String",
        "CI List",       "Flag",       "Count",     "Octets",    "Tel",       "Fax",
        "Address",       "Octet List", "EMail",     "Path",      "Replica",   "ACL",
        "Postal",        "Stamp",      "Class",     "Stream",    "Counter",   "Back Link",
        "Time",          "Typed Name", "Hold",      "Interval"}) {
    reads.push_back({"values.acme", name});
  }
  for (const char* name : {"Dist Name", "Count", "CI String", "CE String", "Address"}) {
    reads.push_back({"long.acme", name});
  }
  reads.push_back({"tail.acme", "Address"});
  reads.push_back({"tail.acme", "Time"});
  // Absent attributes, missing and malformed objects, names beyond the limits; the detail a
  // failure leaves behind stays for the next.
  reads.push_back({"values.acme", "Telephone Number"});
  reads.push_back({"values.acme", "No Such Attribute"});
  reads.push_back({"nobody.acme", "CN"});
  reads.push_back({"values..acme", "CN"});
  reads.push_back({std::string(kMaxObjectName + 1, 'x'), "CN"});
  reads.push_back({"values.acme", std::string(kMaxAttributeName + 1, 'a')});

  for (const bool mislabel : {false, true}) {
    direct.mislabel = buffered.mislabel = mislabel;
    for (const Context c : {context, typed, Context{9999}}) {
      for (const Shape shape : {Shape::kText, Shape::kList, Shape::kTexts, Shape::kInteger}) {
        for (const Read& read : reads) {
          const std::string viaBuffers = Outcome(throughBuffers, buffered, c, shape, read);
          EXPECT_EQ(Outcome(direct, direct, c, shape, read), viaBuffers)
              << read.attribute << " of " << read.object << ", shape " << static_cast<int>(shape)
              << ", context " << c << ", mislabelled " << mislabel;
        }
      }
    }
  }
  // The embedded client reads directly; a wrapper goes through the buffers.
  struct Ignore final : DirectReadSink {
    void Attribute(int32_t, std::span<FetchedValue>) override {}
  } ignore;
  EXPECT_EQ(direct.ReadDirect(context, "values.acme", "CN", ignore), std::optional<int32_t>(0));
  EXPECT_EQ(throughBuffers.ReadDirect(context, "values.acme", "CN", ignore), std::nullopt);
}

}  // namespace
}  // namespace vorlix::directory
