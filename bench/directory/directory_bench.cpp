// Loading LDIF trees of 10,000, 100,000 and 1,000,000 entries (bytes_per_second: of the file) and
// one entry with up to 100,000 attribute names; reading one entry by name and finding entries by
// the start of their name in those trees, and reading groups of 1,000 and 10,000 members through
// the directory layer (the reply comes in many 4096-byte parts). The peak memory of a load is
// measured over vorlix-cli, one size per process, by tree_memory.sh.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "directory/directory_layer.h"
#include "directory/embedded_client.h"
#include "directory/ldif_reader.h"
#include "directory/memory_tree.h"

namespace {

using namespace vorlix::directory;

// Writes a tree of `entries` users in ou=staff with one group holding the first `members` users;
// returns its path. Files are made once per size and removed at exit.
std::string TreeFile(int entries, int members) {
  static std::map<std::pair<int, int>, std::string> made;
  auto key = std::make_pair(entries, members);
  if (auto it = made.find(key); it != made.end()) return it->second;
  const std::string path = "/tmp/vorlix-bench-" + std::to_string(getpid()) + "-" +
                           std::to_string(entries) + "-" + std::to_string(members) + ".ldif";
  std::ofstream out(path);
  out << "version: 1\n\ndn:\ndirectoryTreeName: BENCH\n\ndn: o=bench\nobjectClass: organization\n"
         "o: bench\n\ndn: ou=staff,o=bench\nobjectClass: organizationalUnit\nou: staff\n\n";
  for (int i = 0; i < entries; ++i) {
    out << "dn: cn=user" << i << ",ou=staff,o=bench\nobjectClass: inetOrgPerson\nobjectClass: top\n"
        << "cn: user" << i << "\nsn: User " << i << "\ntelephoneNumber: +31 20 555 " << i
        << "\ndescription: A member of staff with a line of text\n\n";
  }
  out << "dn: cn=big,o=bench\nobjectClass: groupOfNames\ncn: big\n";
  for (int i = 0; i < members; ++i) out << "member: cn=user" << i << ",ou=staff,o=bench\n";
  if (made.empty()) {
    std::atexit([] {
      for (auto& [k, p] : made) std::remove(p.c_str());
    });
  }
  made[key] = path;
  return path;
}

// The size of a file in bytes.
int64_t FileBytes(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

void BM_LoadTree(benchmark::State& state) {
  const std::string path = TreeFile(static_cast<int>(state.range(0)), 1000);
  for (auto _ : state) {
    auto client = std::make_unique<EmbeddedClient>(path);
    if (client->calStartup(0, 0) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(client);
    state.PauseTiming();  // freeing the tree is not part of loading it
    client.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * FileBytes(path));
}
BENCHMARK(BM_LoadTree)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The reading and parsing part of loading alone, entries dropped as they come.
void BM_ParseLdif(benchmark::State& state) {
  const std::string path = TreeFile(static_cast<int>(state.range(0)), 1000);
  for (auto _ : state) {
    size_t entries = 0;
    ScanLdif(ReadLdifText(path), path, [&](const LdifRecord&) { ++entries; });
    benchmark::DoNotOptimize(entries);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * FileBytes(path));
}
BENCHMARK(BM_ParseLdif)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One entry with `names` attribute names: the time per name stays flat as the entry grows.
void BM_LoadWideEntry(benchmark::State& state) {
  const int names = static_cast<int>(state.range(0));
  std::string text = "dn: o=wide\nobjectClass: organization\no: wide\n";
  for (int i = 0; i < names; ++i) text += "attr" + std::to_string(i) + ": value\n";
  for (auto _ : state) {
    auto tree = MemoryTree::FromText(text, "wide.ldif");
    benchmark::DoNotOptimize(tree);
  }
  state.SetItemsProcessed(state.iterations() * names);
}
BENCHMARK(BM_LoadWideEntry)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadMemberList(benchmark::State& state) {
  const int members = static_cast<int>(state.range(0));
  EmbeddedClient client(TreeFile(members, members));
  if (client.calStartup(0, 0) != 0) {
    state.SkipWithError("load failed");
    return;
  }
  const Context context = OpenDirectoryContext(client, kPlainContext).context;
  for (auto _ : state) {
    NameList list = ReadAttributeList(client, context, "big.bench", "Member", ';');
    if (list.size() != static_cast<size_t>(members)) state.SkipWithError("wrong member count");
    benchmark::DoNotOptimize(list);
  }
  state.SetItemsProcessed(state.iterations() * members);
}
BENCHMARK(BM_ReadMemberList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One attribute of one entry after another, each read by its name: the name index and the
// attribute look-up.
void BM_ReadEntry(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  EmbeddedClient client(TreeFile(entries, 10));
  if (client.calStartup(0, 0) != 0) {
    state.SkipWithError("load failed");
    return;
  }
  const Context context = OpenDirectoryContext(client, kPlainContext).context;
  int next = 0;
  for (auto _ : state) {
    next = (next + 7919) % entries;  // a prime step: entries spread over the tree
    std::string phone = ReadAttributeText(
        client, context, "user" + std::to_string(next) + ".staff.bench", "Telephone Number");
    if (phone.empty()) state.SkipWithError("no phone read");
    benchmark::DoNotOptimize(phone);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadEntry)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_FindByName(benchmark::State& state) {
  EmbeddedClient client(TreeFile(static_cast<int>(state.range(0)), 10));
  if (client.calStartup(0, 0) != 0) {
    state.SkipWithError("load failed");
    return;
  }
  const Context context = OpenDirectoryContext(client, kPlainContext).context;
  for (auto _ : state) {
    NameList found = FindObjectsByName(client, context, "[root]", "", "CN", "user1*");
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_FindByName)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
