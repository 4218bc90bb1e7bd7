// Time per line of the removal pass on lists like the command-line corpus:
// 11-digit numbers, a removal list half the original's size of which half
// occurs in the original. Run at 10k, 100k and 1M lines, the per-line time
// shows whether the work grows linearly and where the table leaves the cache.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fatal_error.h"
#include "filter.h"
#include "lead_bytes.h"
#include "line_list.h"
#include "remove_lines.h"

void fatalError(int code, const char* message) {
    std::fprintf(stderr, "core_benchmark: fatal error %d: %s\n", code, message ? message : "");
    std::exit(1);
}

namespace {

struct Corpus {
    std::string original;  // CR LF breaks, the last line without one
    std::string removal;
};

Corpus makeCorpus(std::size_t originalLines) {
    std::mt19937_64 random(originalLines);
    std::uniform_int_distribution<std::uint64_t> elevenDigits(10'000'000'000ull, 99'999'999'999ull);
    std::vector<std::string> numbers(originalLines);
    for (std::string& number : numbers) number = std::to_string(elevenDigits(random));

    Corpus corpus;
    std::uniform_int_distribution<std::size_t> anyLine(0, originalLines - 1);
    for (std::size_t k = 0; k < originalLines / 2; ++k) {
        // Alternately a line of the original and a fresh number (almost never in it).
        corpus.removal += k % 2 ? numbers[anyLine(random)] : std::to_string(elevenDigits(random));
        corpus.removal += "\r\n";
    }
    for (const std::string& number : numbers) corpus.original += number + "\r\n";
    corpus.original.resize(corpus.original.size() - 2);
    return corpus;
}

const Corpus& corpusOf(std::size_t lines) {
    static std::vector<std::pair<std::size_t, Corpus>> made;
    for (const auto& [count, corpus] : made) {
        if (count == lines) return corpus;
    }
    made.emplace_back(lines, makeCorpus(lines));
    return made.back().second;
}

void reportPerLine(benchmark::State& state, std::size_t lines) {
    state.counters["per_line"] =
        benchmark::Counter(static_cast<double>(lines),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SplitLines(benchmark::State& state) {
    const std::size_t lines = static_cast<std::size_t>(state.range(0));
    const Corpus& corpus = corpusOf(lines);
    for (auto _ : state) {
        LineList list = splitLines(corpus.original.c_str(), noLeadBytes());
        benchmark::DoNotOptimize(list.count());
    }
    reportPerLine(state, lines);
}

// Indexing the removal list and deciding every original line; both lists are
// already split. Per line of the original.
void BM_RemoveLines(benchmark::State& state) {
    const std::size_t lines = static_cast<std::size_t>(state.range(0));
    const Corpus& corpus = corpusOf(lines);
    const LineList original = splitLines(corpus.original.c_str(), noLeadBytes());
    const LineList removal = splitLines(corpus.removal.c_str(), noLeadBytes());
    for (auto _ : state) {
        std::size_t written = 0;
        removeLines(original, removal, [&](const char*, std::size_t length) { written += length; });
        benchmark::DoNotOptimize(written);
    }
    reportPerLine(state, lines);
}

// The command-line tool's path: the removal text indexed, the original
// streamed through in chunks. Per line of the original.
void BM_StreamingFilter(benchmark::State& state) {
    const std::size_t lines = static_cast<std::size_t>(state.range(0));
    const Corpus& corpus = corpusOf(lines);
    const FilterSettings settings{&noLeadBytes(), LineBreak::crLf};
    for (auto _ : state) {
        OwnedBytes removalBytes = allocateOwnedBytes(corpus.removal.size());
        std::memcpy(removalBytes.get(), corpus.removal.data(), corpus.removal.size());
        const RemovalSet removal(std::move(removalBytes), corpus.removal.size(), settings);
        std::size_t readAt = 0;
        std::size_t written = 0;
        filterOriginal(
            [&](char* into, std::size_t capacity) -> long long {
                const std::size_t count = std::min(capacity, corpus.original.size() - readAt);
                std::memcpy(into, corpus.original.data() + readAt, count);
                readAt += count;
                return static_cast<long long>(count);
            },
            removal, settings,
            [&](const char*, std::size_t length) {
                written += length;
                return true;
            });
        benchmark::DoNotOptimize(written);
    }
    reportPerLine(state, lines);
}

constexpr std::int64_t kSizes[] = {10'000, 100'000, 1'000'000};

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t size : kSizes) benchmark->Arg(size);
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SplitLines)->Apply(sizes);
BENCHMARK(BM_RemoveLines)->Apply(sizes);
BENCHMARK(BM_StreamingFilter)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
