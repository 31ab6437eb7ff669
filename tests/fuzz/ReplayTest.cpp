// Every seed and every stored crash of each fuzz target, run through the
// target's body in the ordinary (and the sanitizer) build: an input that
// once broke a parser stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

void FuzzCheckFailed(const char* condition, const char* file, int line) {
    ADD_FAILURE_AT(file, line) << "fuzz check failed: " << condition;
}

namespace {

std::vector<std::string> TargetNames() {
    std::vector<std::string> names;
    for (const auto& [name, entry] : FuzzTargets()) names.push_back(name);
    return names;
}

std::vector<fs::path> Inputs(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzReplay : public testing::TestWithParam<std::string> {};

TEST_P(FuzzReplay, SeedsAndStoredCrashesPass) {
    const fs::path data = fs::path(HALVORN_TEST_DATA) / "fuzz";
    const auto seeds = Inputs(data / GetParam());
    EXPECT_FALSE(seeds.empty()) << "no seeds in " << (data / GetParam());
    auto inputs = seeds;
    for (const auto& crash : Inputs(data / "regressions" / GetParam())) inputs.push_back(crash);
    const FuzzEntry entry = FuzzTargets().at(GetParam());
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.string());
        std::ifstream file(input, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        // The targets log every request; only failures matter here.
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, testing::ValuesIn(TargetNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
