// Lookups in a profile file of several megabytes whose wanted key is on its last line, after
// a line of a megabyte: the file is streamed once per lookup and a long line is never kept.
// "peak_rss_growth_kib" should stay near the size of one read chunk.
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "platform/profile/PrivateProfile.h"

namespace {

long PeakRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string MakeProfile(std::size_t megabytes) {
    const std::string path = "/tmp/vortan-bench-" + std::to_string(getpid()) + ".ini";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << "[Section1]\n";
    const std::string line = "filler=" + std::string(100, 'f') + "\n";
    for (std::size_t i = 0; i < megabytes * 1024 * 1024 / line.size(); ++i)
        file << line;
    file << "long=" << std::string(1 << 20, 'l') << "\n";
    file << "5077=found at the end\n";
    return path;
}

void BM_LookupLastKey(benchmark::State& state) {
    const std::string path = MakeProfile(static_cast<std::size_t>(state.range(0)));
    char buffer[260];
    const long before = PeakRssKib();
    for (auto _ : state) {
        const DWORD n =
            GetPrivateProfileStringA("Section1", "5077", "", buffer, sizeof buffer, path.c_str());
        benchmark::DoNotOptimize(n);
    }
    state.counters["peak_rss_growth_kib"] = static_cast<double>(PeakRssKib() - before);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (state.range(0) + 1) *
                            1024 * 1024);
    std::remove(path.c_str());
}

} // namespace

BENCHMARK(BM_LookupLastKey)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);
