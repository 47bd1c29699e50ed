// Downloading a large file from nginx on loopback: "orlinda-cli fetch --output" against
// "curl -o" in the same run, and the tool's peak memory for a small and a large file
// (streaming through OnSaveData must not grow with the file).
//
//   bench_http_download [MiB]      (default 1024)
#include "HttpBench.h"

#include <algorithm>
#include <cstdio>
#include <random>

using namespace orlinda::bench;

namespace {

void WriteFileOf(const std::string& path, size_t mib)
{
    std::vector<char> block(1 << 20);
    std::mt19937 random(42);
    for (auto& c : block)
        c = static_cast<char>(random());
    FILE* f = std::fopen(path.c_str(), "wb");
    for (size_t i = 0; i < mib; ++i) {
        block[i % block.size()] ^= 1;  // no two megabytes alike
        std::fwrite(block.data(), 1, block.size(), f);
    }
    std::fclose(f);
}

} // namespace

int main(int argc, char** argv)
{
    size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
    const size_t smallMib = 64;
    Folder folder;
    std::filesystem::create_directories(folder.File("www"));
    WriteFileOf(folder.File("www/big.bin"), mib);
    WriteFileOf(folder.File("www/small.bin"), smallMib);
    Nginx nginx(folder, "");
    const std::string cli = CliPath();
    const std::string out = folder.File("out.bin");

    auto curl = [&](const std::string& path) { return Run({"curl", "-s", "-o", out, nginx.Url(path)}); };
    auto fetch = [&](const std::string& path) { return Run({cli, "fetch", "--output", out, nginx.Url(path)}); };

    // Warm the page cache and both programs.
    curl("/small.bin");
    fetch("/small.bin");

    double bestCurl = 1e9, bestFetch = 1e9;
    long rssBig = 0;
    for (int round = 0; round < 3; ++round) {
        RunResult c = curl("/big.bin");
        std::filesystem::remove(out);
        RunResult f = fetch("/big.bin");
        bool whole = std::filesystem::exists(out) && std::filesystem::file_size(out) == mib << 20;
        std::filesystem::remove(out);
        if (c.exitCode != 0 || f.exitCode != 0 || !whole) {
            std::fprintf(stderr, "download failed (curl %d, fetch %d, whole %d)\n", c.exitCode, f.exitCode, whole);
            return 1;
        }
        bestCurl = std::min(bestCurl, c.seconds);
        bestFetch = std::min(bestFetch, f.seconds);
        rssBig = std::max(rssBig, f.maxRssKb);
    }
    RunResult small = fetch("/small.bin");
    std::filesystem::remove(out);

    double curlRate = MiB(double(mib << 20)) / bestCurl;
    double fetchRate = MiB(double(mib << 20)) / bestFetch;
    double ratio = fetchRate / curlRate;
    std::printf("file                    %zu MiB\n", mib);
    std::printf("curl -o                 %.3f s  %.0f MiB/s\n", bestCurl, curlRate);
    std::printf("orlinda-cli fetch -o    %.3f s  %.0f MiB/s\n", bestFetch, fetchRate);
    std::printf("rate ratio              %.0f %% (target >= 80 %%)\n", ratio * 100);
    std::printf("max RSS                 %ld KiB for %zu MiB, %ld KiB for %zu MiB\n", small.maxRssKb, smallMib, rssBig, mib);
    bool flatMemory = rssBig < small.maxRssKb + 8 * 1024;
    std::printf("memory flat             %s\n", flatMemory ? "yes" : "NO");
    return ratio >= 0.8 && flatMemory ? 0 : 1;
}
