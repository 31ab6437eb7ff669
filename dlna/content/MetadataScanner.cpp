#include "content/MetadataScanner.h"

#include <sys/stat.h>

#include <cctype>
#include <chrono>
#include <list>
#include <optional>

#include "VirtualFileRegistry.h"
#include "common/DlnaLog.h"
#include "content/DlnaProfiles.h"
#include "content/MediaFileInfo.h"
#include "content/MediaProbeProcess.h"
#include "content/ShareTree.h"

// Thumbnails by source file, the most recently used first, within a byte
// budget: a client showing a page of covers asks for each once, and the
// tracks of one album share a folder.jpg.
class CoverCache {
public:
    // `mime` is the source's: a picture, or a file with one inside.
    SharedBuffer Get(const std::string& source, const std::string& mime) {
        {
            std::lock_guard lock(mutex_);
            if (auto it = index_.find(source); it != index_.end()) {
                entries_.splice(entries_.begin(), entries_, it->second);
                return it->second->data;
            }
        }
        std::string thumbnail;
        bool made;
        {
            std::lock_guard lock(reader_mutex_);
            made = reader_.Ask("thumb", mime, source, &thumbnail);
        }
        if (!made) {
            LogLine(DlnaLog(), LogLevel::Warning)
                << "Cannot make a cover of " << source << ": " << thumbnail;
            return nullptr;
        }
        auto data = std::make_shared<const std::vector<char>>(thumbnail.begin(), thumbnail.end());
        std::lock_guard lock(mutex_);
        if (index_.count(source)) return data;
        entries_.push_front({source, data});
        index_[source] = entries_.begin();
        bytes_ += data->size();
        while (bytes_ > kBudget && entries_.size() > 1) {
            bytes_ -= entries_.back().data->size();
            index_.erase(entries_.back().source);
            entries_.pop_back();
        }
        return data;
    }

private:
    static constexpr size_t kBudget = size_t(2) << 20;
    struct Entry {
        std::string source;
        SharedBuffer data;
    };
    std::mutex reader_mutex_;
    MediaProbeProcess reader_;
    std::mutex mutex_;
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
};

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool AllDigits(const std::string& text, size_t from, size_t count) {
    if (text.size() < from + count) return false;
    for (size_t i = from; i < from + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

}  // namespace

MetadataScanner::MetadataScanner(ShareTree& tree, unsigned threads)
    : tree_(tree), covers_(std::make_shared<CoverCache>()) {
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

MetadataScanner::~MetadataScanner() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_) thread.join();
}

void MetadataScanner::Enqueue(uint64_t id, std::string path, std::string mime) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({id, std::move(path), std::move(mime)});
    }
    wake_.notify_one();
}

void MetadataScanner::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
}

void MetadataScanner::Work() {
    // Each thread its own reader, which ends whenever the queue is empty.
    MediaProbeProcess reader;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue_.empty()) {
            lock.unlock();
            reader.Stop();
            lock.lock();
        }
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        if (busy_++ == 0 && batch_files_ == 0) batch_start_ = std::chrono::steady_clock::now();
        ++batch_files_;
        lock.unlock();
        Read(reader, job);
        lock.lock();
        if (--busy_ == 0 && queue_.empty()) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - batch_start_).count();
            LogLine(DlnaLog(), LogLevel::Info)
                << "Metadata read for " << batch_files_ << " files in " << seconds << " s";
            batch_files_ = 0;
            idle_.notify_all();
        }
    }
}

void MetadataScanner::Read(MediaProbeProcess& reader, const Job& job) {
    std::string answer;
    if (!reader.Ask("probe", job.mime, job.path, &answer)) {
        LogLine(DlnaLog(), LogLevel::Warning)
            << "Cannot read the metadata of " << job.path << ": " << answer;
        return;
    }
    const std::optional<MediaFileInfo> info = ParseMediaFileInfo(answer);
    ShareTree::Metadata metadata;
    metadata.title = info->title;
    metadata.duration_ms = info->duration_ms;
    metadata.properties = {info->bitrate, info->sample_rate, info->channels, info->width,
                           info->height};
    if (DlnaProfiles::FitsMime(info->profile, job.mime)) metadata.profile = info->profile;
    metadata.tags.artist = info->artist;
    metadata.tags.album = info->album;
    metadata.tags.genre = info->genre;
    metadata.tags.date = DateText(info->date);
    metadata.tags.track = info->track;

    std::string cover, cover_mime = job.mime;
    if (job.mime.find("image/") != std::string::npos || info->has_cover) {
        cover = job.path;
    } else if (const size_t slash = job.path.rfind('/'); slash != std::string::npos) {
        cover = FolderCover(job.path.substr(0, slash));
        cover_mime = cover.ends_with(".png") ? "image/png" : "image/jpeg";
    }
    const std::string url = "/share/cover/" + std::to_string(job.id) + ".jpg";
    if (!cover.empty()) {
        metadata.tags.album_art = url;
        VirtualFileRegistry::Instance().AddGeneratedFile(
            "cover:" + std::to_string(job.id), url, "image/jpeg",
            [covers = covers_, cover, cover_mime] { return covers->Get(cover, cover_mime); });
    }
    if (!tree_.ApplyMetadata(job.id, job.path, std::move(metadata)) && !cover.empty())
        VirtualFileRegistry::Instance().RemoveVirtual(url);  // removed meanwhile
}

std::string MetadataScanner::FolderCover(const std::string& directory) {
    {
        std::lock_guard lock(mutex_);
        if (auto it = folder_covers_.find(directory); it != folder_covers_.end())
            return it->second;
    }
    std::string found;
    for (const char* name : {"cover.jpg", "Cover.jpg", "COVER.JPG", "folder.jpg", "Folder.jpg",
                             "FOLDER.JPG", "cover.png", "folder.png"}) {
        const std::string candidate = directory + "/" + name;
        if (IsRegularFile(candidate)) {
            found = candidate;
            break;
        }
    }
    std::lock_guard lock(mutex_);
    return folder_covers_.emplace(directory, found).first->second;
}

std::string MetadataScanner::DateText(const std::string& tag) {
    if (!AllDigits(tag, 0, 4)) return {};
    std::string year = tag.substr(0, 4);
    if (tag.size() == 4) return year + "-01-01";
    if (tag[4] != '-' || !AllDigits(tag, 5, 2)) return {};
    if (tag.size() == 7) return tag + "-01";
    if (tag[7] != '-' || !AllDigits(tag, 8, 2) || (tag.size() > 10 && tag[10] != 'T' && tag[10] != ' '))
        return {};
    return tag.substr(0, 10);
}
