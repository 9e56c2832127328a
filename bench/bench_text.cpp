// Throughput of the cipher on 64 MiB, against memcpy of the same size.

#include "bench/RatioReport.h"
#include "crypt/Crypt.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

namespace {

constexpr std::size_t kSize = 64u << 20;

const std::string& sample() {
    static const std::string text = [] {
        std::mt19937 rng(64);
        std::uniform_int_distribution<int> byte(0, 255);
        std::string s(kSize, '\0');
        for (char& c : s)
            c = static_cast<char>(byte(rng));
        return s;
    }();
    return text;
}

// Runs `work` on a buffer allocated once, as many times as the benchmark asks.
template <typename Buffer, typename Work>
void intoBuffer(benchmark::State& state, std::size_t size, Work&& work) {
    Buffer out(size, typename Buffer::value_type{});
    for (auto _ : state) {
        work(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_memcpy(benchmark::State& state) {
    const std::string& in = sample();
    intoBuffer<std::string>(state, in.size(),
                            [&](char* out) { std::memcpy(out, in.data(), in.size()); });
}

// A fresh copy: the allocation and page faults every new 64 MiB result pays.
void BM_copy_fresh(benchmark::State& state) {
    const std::string& in = sample();
    for (auto _ : state) {
        std::string out(in);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

void BM_CryptInto(benchmark::State& state) {
    const std::string& in = sample();
    const std::string key = in.substr(12345, std::size_t(state.range(0)));
    intoBuffer<std::string>(state, in.size(), [&](char* out) { Crypt::CryptInto(in, key, out); });
}

void BM_CryptText(benchmark::State& state) {
    const std::string& in = sample();
    const std::string key = in.substr(12345, std::size_t(state.range(0)));
    for (auto _ : state) {
        std::string out = Crypt::CryptText(in, key);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

} // namespace

#define VEMO_BENCH(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)->MinTime(1.0)
VEMO_BENCH(BM_memcpy);
VEMO_BENCH(BM_copy_fresh);
VEMO_BENCH(BM_CryptInto)->Arg(1)->Arg(7)->Arg(64)->Arg(1000);
VEMO_BENCH(BM_CryptText)->Arg(1)->Arg(7)->Arg(64)->Arg(1000);

int main(int argc, char** argv) {
    const std::string suffix = "/min_time:1.000";
    const std::string memcpyRun = "BM_memcpy" + suffix;
    const std::string freshRun = "BM_copy_fresh" + suffix;
    std::vector<Ratio> ratios;
    for (const char* k : {"1", "7", "64", "1000"}) {
        ratios.push_back({std::string("CryptInto 64 MiB, key ") + k + ", speed vs memcpy",
                          std::string("BM_CryptInto/") + k + suffix, memcpyRun, 0.5, true});
        ratios.push_back({std::string("CryptText 64 MiB, key ") + k + ", speed vs fresh copy",
                          std::string("BM_CryptText/") + k + suffix, freshRun, 0.5, true});
    }
    return runWithRatios(argc, argv, ratios);
}
