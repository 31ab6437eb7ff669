#pragma once
// The background pass that fills in what the share tree learns only from
// reading a file: stream properties, tags and a cover. Files are browseable
// as soon as they are added; their items grow richer as the pass reaches
// them, each change counted as a change of the tree.
//
// Covers are served at "/share/cover/<id>.jpg" as JPEG_TN thumbnails made
// when first asked for, from the file's embedded picture, a cover.jpg or
// folder.jpg beside it, or a picture itself; the last few are kept.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class ShareTree;
class CoverCache;
class MediaProbeProcess;

class MetadataScanner {
public:
    explicit MetadataScanner(ShareTree& tree, unsigned threads = 2);
    ~MetadataScanner();
    MetadataScanner(const MetadataScanner&) = delete;
    MetadataScanner& operator=(const MetadataScanner&) = delete;

    // Queues one item; never blocks (the tree calls it under its lock).
    void Enqueue(uint64_t id, std::string path, std::string mime);
    // Returns once everything queued so far has been read.
    void WaitIdle();

    // "2021", "2021-05", "2021-05-03T…" as dc:date wants them ("2021-01-01",
    // "2021-05-01", "2021-05-03"); empty for anything else.
    static std::string DateText(const std::string& tag);

private:
    struct Job {
        uint64_t id;
        std::string path;
        std::string mime;
    };

    void Work();
    void Read(MediaProbeProcess& reader, const Job& job);
    // cover.jpg or folder.jpg (any case of those names, or .png) in `directory`;
    // empty when none. Asked once per folder.
    std::string FolderCover(const std::string& directory);

    ShareTree& tree_;
    std::shared_ptr<CoverCache> covers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    size_t busy_ = 0;
    bool stopping_ = false;
    // One log line per batch: how long a whole folder took.
    std::chrono::steady_clock::time_point batch_start_;
    size_t batch_files_ = 0;
    std::unordered_map<std::string, std::string> folder_covers_;
    std::vector<std::thread> threads_;
};
