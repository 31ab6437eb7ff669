#pragma once
// Helpers for the service tests: throw-away directories, the fake systemctl,
// and running programs with captured output.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace service_test {

namespace fs = std::filesystem;

// A fresh directory whose name has a blank, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "halvorn service XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// Puts the fake systemctl into `directory` as "systemctl"; its calls are
// logged to SystemctlLog(directory).
inline fs::path InstallFakeSystemctl(const fs::path& directory) {
    fs::create_directories(directory);
    const fs::path program = directory / "systemctl";
    fs::copy_file(fs::path(HALVORN_TEST_DATA) / "fake-systemctl", program,
                  fs::copy_options::overwrite_existing);
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    return program;
}

inline fs::path SystemctlLog(const fs::path& directory) {
    return directory / "systemctl.log";
}

struct Outcome {
    int status = -1;  // raw wait status
    std::string out;
    std::string err;

    bool Exited(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
};

// Runs `argv` to its end with stdin from /dev/null, the environment changed
// by `env` (an empty value removes the variable), in `directory` if given.
inline Outcome RunProgram(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& env = {},
                          const fs::path& directory = {}) {
    TempDir capture;
    const std::string out_path = (capture / "out").string();
    const std::string err_path = (capture / "err").string();

    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : env) {
        if (value.empty())
            merged.erase(name);
        else
            merged[name] = value;
    }
    std::vector<std::string> env_text;
    for (const auto& [name, value] : merged) env_text.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env_text) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& arg : args) argp.push_back(arg.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    Outcome outcome;
    pid_t child = 0;
    // The path is searched in the test's own PATH, never in the child's.
    const int spawned = posix_spawnp(&child, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        outcome.err = "cannot start " + argv[0];
        return outcome;
    }
    waitpid(child, &outcome.status, 0);
    outcome.out = ReadFile(out_path);
    outcome.err = ReadFile(err_path);
    return outcome;
}

}  // namespace service_test
