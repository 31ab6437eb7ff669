// The share tree at the scale of a large collection: adds N files made here
// in a temporary folder (all music, so one category holds them all), then
// times lookups, Browse pages, Search and removals per call. One line per figure.
//
//   bench_share_tree [files, default 100000]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "VirtualFileRegistry.h"
#include "content/DidlLite.h"
#include "content/SearchCriteria.h"
#include "content/ShareObject.h"
#include "content/ShareTree.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Times `call(i)` for each of `count` calls; prints p50 and p99 in µs.
template <class Call>
void PerCall(const char* what, size_t count, Call&& call) {
    std::vector<double> micros;
    micros.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const auto start = Clock::now();
        call(i);
        micros.push_back(Seconds(Clock::now() - start) * 1e6);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%-34s p50 %7.2f us   p99 %7.2f us   (%zu calls)\n", what, micros[count / 2],
                micros[count * 99 / 100], count);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t files = argc > 1 ? std::stoul(argv[1]) : 100000;
    const size_t calls = std::min<size_t>(10000, files);
    const auto folder = std::filesystem::temp_directory_path() /
                        ("halvorn-share-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::string> paths;
    for (size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "track-%06zu.mp3", i);
        paths.push_back((folder / name).string());
        std::ofstream(paths.back()).put('x');
    }

    ShareTree tree;
    tree.UpdateAddress("198.51.100.1", 49152);
    VirtualFileRegistry::Instance();
    const long resident_before = ResidentBytes();
    const DLNA_SHARE_OBJECT song{"audio/mpeg", 4000000, 215000};
    const auto add_start = Clock::now();
    Clock::duration first_ten_thousand{};
    for (size_t i = 0; i < files; ++i) {
        tree.AddFile(paths[i], song);
        if (i + 1 == std::min<size_t>(10000, files)) first_ten_thousand = Clock::now() - add_start;
    }
    const double add_all = Seconds(Clock::now() - add_start);
    const long resident_after = ResidentBytes();
    std::printf("add first %zu files                 %.3f s\n", std::min<size_t>(10000, files),
                Seconds(first_ten_thousand));
    std::printf("add all %zu files                  %.3f s (%.1f us per file)\n", files, add_all,
                add_all * 1e6 / static_cast<double>(files));
    std::printf("memory per item (RSS delta)        %.0f bytes, virtual-file entry included\n",
                static_cast<double>(resident_after - resident_before) / static_cast<double>(files));

    std::mt19937 random(42);
    std::uniform_int_distribution<size_t> any(0, files - 1);
    std::vector<size_t> picks(calls);
    for (auto& pick : picks) pick = any(random);

    PerCall("find by path", calls, [&](size_t i) { tree.FindByPath(paths[picks[i]]); });
    PerCall("find by id", calls, [&](size_t i) { tree.FindById(std::to_string(4 + picks[i])); });
    std::string didl;
    uint32_t returned = 0, total = 0;
    PerCall("browse 50 children at random", calls, [&](size_t i) {
        tree.Browse("2", false, static_cast<uint32_t>(picks[i]), 50, &didl, &returned, &total);
    });

    // A scan of every item per call, a sort of them all in the second.
    const auto titles = SearchCriteria::Parse(R"(dc:title contains "TRACK-0001")");
    const auto items = SearchCriteria::Parse(R"(upnp:class derivedfrom "object.item")");
    const auto descending = SortCriteria::Parse("-dc:title");
    PerCall("search titles, 50 matches", 20, [&](size_t) {
        tree.Search("0", *titles, {}, 0, 50, &didl, &returned, &total);
    });
    PerCall("search all items by -dc:title, 50", 20, [&](size_t) {
        tree.Search("0", *items, *descending, 0, 50, &didl, &returned, &total);
    });

    // Distinct files, so every call removes one.
    std::vector<size_t> order(files);
    for (size_t i = 0; i < files; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    PerCall("remove", calls, [&](size_t i) { tree.RemoveFile(paths[order[i]]); });

    // A remote Browse result of 10,000 items, as DLNA_DMSC_Browse reads it.
    std::string fragments;
    const auto info =
        std::make_shared<const ProtocolInfo>(ProtocolInfo{"http-get", "*", "image/jpeg", "*"});
    for (int i = 0; i < 10000; ++i) {
        ShareItem item(std::to_string(i), "3", "photo " + std::to_string(i));
        item.AddResource(
            std::make_unique<ShareImage>("", "http://192.0.2.7/" + std::to_string(i), 1000, info));
        item.ToXml(fragments);
    }
    const std::string document = std::string(kDidlHeader) + fragments + std::string(kDidlFooter);
    std::vector<std::shared_ptr<ShareObject>> objects;
    const auto parse_start = Clock::now();
    ParseShareObjects(document, &objects);
    std::printf("parse a 10,000-item result         %.3f s (%zu objects, %zu bytes)\n",
                Seconds(Clock::now() - parse_start), objects.size(), document.size());

    std::filesystem::remove_all(folder);
    return 0;
}
