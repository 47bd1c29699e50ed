// Unpacking a large gzip response into Document: THTTPClient against "gzip -dc" of the
// same file in the same run (rates in unpacked bytes per second).
//
//   bench_http_gzip [MB]      (default 100)
#include "HttpBench.h"

#include "net/HttpClient.h"

#include <algorithm>
#include <cstdio>
#include <random>

using namespace orlinda;
using namespace orlinda::bench;

int main(int argc, char** argv)
{
    size_t mb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    const size_t size = mb * 1000 * 1000;
    Folder folder;
    std::filesystem::create_directories(folder.File("www/static"));
    const std::string text = folder.File("www/static/data.txt");
    {
        // Text as the program meets it: words and numbers, packs about 3:1.
        static const char* words[] = {"greeting", "holiday", "birthday", "reminder", "friend", "colleague",
                                      "congratulations", "wishes", "happy", "the", "and", "of", "with", "day",
                                      "year", "spring", "winter", "family", "health", "success"};
        std::mt19937 random(7);
        std::string data;
        data.reserve(size + 64);
        while (data.size() < size) {
            data += words[random() % 20];
            data += (random() % 9 == 0) ? "\n" : " ";
            if (random() % 13 == 0)
                data += std::to_string(random() % 100000) + " ";
        }
        data.resize(size);
        std::ofstream(text, std::ios::binary) << data;
    }
    if (Run({"gzip", "-k", "-6", text}).exitCode != 0) {
        std::fprintf(stderr, "gzip failed\n");
        return 1;
    }
    const auto packed = std::filesystem::file_size(text + ".gz");
    Nginx nginx(folder, "    location /static/ { gzip_static on; gzip_http_version 1.0; }\n");

    double bestGzip = 1e9, bestClient = 1e9, first = 0;
    for (int round = 0; round < 3; ++round) {
        RunResult g = Run({"gzip", "-dc", text + ".gz"});
        if (g.exitCode != 0)
            return 1;
        bestGzip = std::min(bestGzip, g.seconds);
    }
    // One client for all rounds, as the program's worker threads keep theirs: the first
    // request pays for Document's memory, the later ones reuse it.
    THTTPClient client(65536, -1, 16384);
    for (int round = 0; round < 4; ++round) {
        client.Reset(true);
        client.SetAcceptCompression(THTTPCompression::httpcGzip);
        auto start = std::chrono::steady_clock::now();
        bool ok = client.SendRequest("GET", nginx.Url("/static/data.txt"));
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok || client.ResultCode() != 200 || client.Document().Size() != static_cast<int64_t>(size)) {
            std::fprintf(stderr, "request failed: %d %s\n", client.ResultCode(), client.Sock().LastErrorDesc().c_str());
            return 1;
        }
        if (round == 0)
            first = seconds;
        else
            bestClient = std::min(bestClient, seconds);
    }
    double gzipRate = MiB(double(size)) / bestGzip;
    double clientRate = MiB(double(size)) / bestClient;
    double ratio = clientRate / gzipRate;
    std::printf("body                    %.0f MiB unpacked, %.0f MiB packed\n", MiB(double(size)), MiB(double(packed)));
    std::printf("gzip -dc                %.3f s  %.0f MiB/s\n", bestGzip, gzipRate);
    std::printf("THTTPClient Document    %.3f s  %.0f MiB/s (first request, fresh memory: %.3f s  %.0f MiB/s)\n",
                bestClient, clientRate, first, MiB(double(size)) / first);
    std::printf("rate ratio              %.0f %% (target >= 70 %%)\n", ratio * 100);
    return ratio >= 0.7 ? 0 : 1;
}
