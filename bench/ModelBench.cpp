// Benchmarks of the model on a generated AA text file, a million AAs unless
// --aas=N says otherwise, or on the AA text file that --aa-file=PATH names.
// Run from the build folder:
//
//   bench/ridaxo-bench [--aas=N | --aa-file=PATH] [Google Benchmark options]

#include "AAFileGenerator.h"
#include "AASearch.h"
#include "AAStore.h"
#include "AutoCategorize.h"
#include "BlockWriter.h"
#include "Category.h"
#include "DocumentFile.h"
#include "LineReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fs = std::filesystem;

namespace
{
std::uint64_t g_nAAs = 1000000;
std::string g_strGivenFile;

// The files all benchmarks share, made on first use in a folder of their
// own that goes when the program ends.
class CBenchFiles
{
public:
    CBenchFiles()
    {
        m_dir = fs::temp_directory_path() / ("ridaxo-bench-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        m_strText = (m_dir / "aa.txt").string();
        m_strSmallText = (m_dir / "small.txt").string();
        m_strIndex = (m_dir / "aa.rix").string();
        if (g_strGivenFile.empty())
            WriteAAFile(m_strText, {g_nAAs, 1});
        else
            m_strText = g_strGivenFile;
        WriteAAFile(m_strSmallText, {kSmallCount, 1});
        m_store.LoadFile(m_strText);
        g_nAAs = static_cast<std::uint64_t>(m_store.GetCount());
        m_grouped.AutoCategorize(m_store, 3, 5);
        SaveIndexFile(m_strIndex, m_store, m_grouped);
    }
    ~CBenchFiles()
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    static constexpr std::uint64_t kSmallCount = 20000;

    fs::path m_dir;
    std::string m_strText;
    std::string m_strSmallText;
    std::string m_strIndex;
    CAAStore m_store;
    CCategoryModel m_grouped;
};

CBenchFiles& Files()
{
    static CBenchFiles files;
    return files;
}

// Shows the time per AA ("s/AA", with a prefix such as n for nano).
void ReportPerAA(benchmark::State& state, std::uint64_t nAAs)
{
    state.counters["s/AA"] = benchmark::Counter(
        static_cast<double>(nAAs), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LoadFile(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    for (auto _ : state) {
        CAAStore store;
        store.LoadFile(files.m_strText);
        benchmark::DoNotOptimize(store.GetCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(files.m_strText)));
    ReportPerAA(state, g_nAAs);
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond);

void BM_PlaceAllInRoot(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    for (auto _ : state) {
        CCategoryModel model;
        model.PlaceAllInRoot(files.m_store);
        benchmark::DoNotOptimize(model.GetRoot().GetAACount());
    }
    ReportPerAA(state, g_nAAs);
}
BENCHMARK(BM_PlaceAllInRoot)->Unit(benchmark::kMillisecond);

void BM_AutoCategorize(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    for (auto _ : state) {
        CCategoryModel model;
        model.AutoCategorize(files.m_store, 3, 5);
        benchmark::DoNotOptimize(model.GetRoot().GetChildCount());
    }
    ReportPerAA(state, g_nAAs);
}
BENCHMARK(BM_AutoCategorize)->Unit(benchmark::kMillisecond);

// The plain and the fast grouping side by side on a small file: the plain
// one grows with the square of the number of AAs.
void BM_GroupSmallFile(benchmark::State& state)
{
    CAAStore store;
    store.LoadFile(Files().m_strSmallText);
    const bool bPlain = state.range(0) == 0;
    for (auto _ : state) {
        CCategory root;
        if (bPlain)
            AutoCategorizePlain(root, store, 3, 5);
        else
            AutoCategorizeFast(root, store, 3, 5);
        benchmark::DoNotOptimize(root.GetChildCount());
    }
    state.SetLabel(bPlain ? "plain" : "fast");
    ReportPerAA(state, CBenchFiles::kSmallCount);
}
BENCHMARK(BM_GroupSmallFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteIndexFile(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    std::size_t nBytes = 0;
    for (auto _ : state) {
        nBytes = 0;
        CBlockWriter writer([&nBytes](std::string_view data) { nBytes += data.size(); });
        WriteIndexFile(files.m_store, files.m_grouped, writer);
        writer.Flush();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * nBytes));
    ReportPerAA(state, g_nAAs);
}
BENCHMARK(BM_WriteIndexFile)->Unit(benchmark::kMillisecond);

// The category tree of the grouped index file, without its AA text file.
void BM_LoadIndexTree(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    for (auto _ : state) {
        CLineReader reader(files.m_strIndex);
        std::string_view header;
        reader.ReadLine(header);
        CCategory root;
        root.Load(reader);
        benchmark::DoNotOptimize(root.GetChildCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(files.m_strIndex)));
    ReportPerAA(state, g_nAAs);
}
BENCHMARK(BM_LoadIndexTree)->Unit(benchmark::kMillisecond);

// The body of the first and of the last AA: both cost the same, as the
// store seeks straight to a body.
void BM_GetText(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    const int nIndex = state.range(0) == 0 ? 0 : files.m_store.GetCount() - 1;
    std::size_t nBytes = 0;
    for (auto _ : state)
        nBytes = files.m_store.GetText(nIndex).size();
    state.SetLabel((nIndex == 0 ? "first AA, " : "last AA, ") + std::to_string(nBytes) + " bytes");
}
BENCHMARK(BM_GetText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A name search over every name, as a keystroke in the search field asks
// for it: each query anew, never a refinement of the last. The queries: a
// kana that most names hold, a rarer pair, a text no name holds, and
// ASCII letters, which match in either case.
void BM_FindNames(benchmark::State& state)
{
    const CBenchFiles& files = Files();
    static const char* const kQueries[] = {"ね", "驚）", "該当なし", "ch"};
    const char* const pszQuery = kQueries[state.range(0)];
    const std::optional<CSearchText> text = CSearchText::FromUtf8(pszQuery);
    std::size_t nFound = 0;
    for (auto _ : state)
        nFound = files.m_store.FindAAs(*text, false).size();
    state.SetLabel(std::string(pszQuery) + ": " + std::to_string(nFound) + " names");
}
BENCHMARK(BM_FindNames)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// What a loaded store keeps in memory, as the C library counts it, with
// the large arrays that live in mappings of their own: the allocations that
// a load leaves behind, less the names' own bytes, per AA.
void BM_StoreMemory(benchmark::State& state)
{
#if defined(__GLIBC__)
    const CBenchFiles& files = Files();
    double nBeyondNames = 0;
    std::size_t nNameBytes = 0;
    for (auto _ : state) {
        const struct mallinfo2 before = mallinfo2();
        const std::size_t nMappedBefore = GetLargeBlockBytes();
        auto store = std::make_unique<CAAStore>();
        store->LoadFile(files.m_strText);
        const struct mallinfo2 after = mallinfo2();
        const auto nHeld = static_cast<double>((after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd) +
                                               (GetLargeBlockBytes() - nMappedBefore));
        nNameBytes = 0;
        for (int i = 0; i < store->GetCount(); ++i)
            nNameBytes += store->GetNameView(i).size();
        nBeyondNames = (nHeld - static_cast<double>(nNameBytes)) / store->GetCount();
    }
    state.counters["name_bytes"] = static_cast<double>(nNameBytes);
    state.counters["bytes/AA_beyond_names"] = nBeyondNames;
#else
    for (auto _ : state) {
    }
    state.SkipWithError("needs the GNU C library's mallinfo2");
#endif
}
BENCHMARK(BM_StoreMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // --aas and --aa-file are ours; the rest goes to Google Benchmark.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--aas=", 6) == 0)
            g_nAAs = std::strtoull(argv[i] + 6, nullptr, 10);
        else if (std::strncmp(argv[i], "--aa-file=", 10) == 0)
            g_strGivenFile = argv[i] + 10;
        else
            args.push_back(argv[i]);
    }
    int nArgs = static_cast<int>(args.size());
    benchmark::Initialize(&nArgs, args.data());
    if (benchmark::ReportUnrecognizedArguments(nArgs, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
