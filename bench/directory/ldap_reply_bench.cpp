// The LDAP client reading one entry of 1,000 to 100,000 attributes from a stand-in server
// (tests/support/fake_ldap_server.h), and a search of 10,000 to 100,000 entries: the time per
// attribute and per entry must stay flat as they grow (items_per_second).

#include <benchmark/benchmark.h>

#include <string>

#include "directory/directory_layer.h"
#include "directory/ldap_client.h"
#include "support/fake_ldap_server.h"

namespace {

using namespace vorlix::directory;
using vorlix::testing::FakeLdapServer;
using vorlix::testing::LdapAnswer;
using vorlix::testing::ldap_messages::Attributes;

// A server of o=t: the root DSE, and `answer` for every other search.
class Server {
 public:
  explicit Server(std::function<void(LdapAnswer&)> answer)
      : server_([answer = std::move(answer)](LdapAnswer& a) {
          if (a.request().base.empty()) {
            a.Entry("", {{"namingContexts", {"o=t"}}});
            a.Done();
          } else {
            answer(a);
          }
        }) {
    DirectorySource source;
    source.source = server_.Url("o=t");
    client_ = std::make_unique<LdapClient>(source);
    client_->calStartup(0, 0);
    context_ = OpenDirectoryContext(*client_, kPlainContext).context;
  }
  ~Server() {
    client_->dsCloseContext(context_);
    client_->calShutdown(0);
  }
  LdapClient& client() { return *client_; }
  Context context() const { return context_; }

 private:
  FakeLdapServer server_;
  std::unique_ptr<LdapClient> client_;
  Context context_ = kNoContext;
};

void BM_LdapWideEntry(benchmark::State& state) {
  Attributes attributes;
  for (int64_t i = 0; i < state.range(0); ++i)
    attributes.push_back({"x" + std::to_string(i), {"v"}});
  attributes.push_back({"description", {"wide"}});
  const std::string bytes = vorlix::testing::ldap_messages::EntryOp("cn=wide,o=t", attributes);
  Server server([&](LdapAnswer& a) {
    a.Raw(bytes);
    a.Done();
  });
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReadAttributeText(server.client(), server.context(), "wide.t", "Description"));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LdapWideEntry)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LdapSearch(benchmark::State& state) {
  const Attributes group = {{"objectClass", {"groupOfNames"}}};
  std::vector<std::string> entries;
  for (int64_t i = 0; i < state.range(0); ++i) {
    entries.push_back(
        vorlix::testing::ldap_messages::EntryOp("cn=g" + std::to_string(i) + ",o=t", group));
  }
  Server server([&](LdapAnswer& a) {
    for (const std::string& entry : entries) a.Raw(entry);
    a.Done();
  });
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        FindObjectsByName(server.client(), server.context(), "[root]", "Group", "CN", "g"));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LdapSearch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
