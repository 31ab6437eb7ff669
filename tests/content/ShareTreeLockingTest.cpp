#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ContentTestSupport.h"
#include "VirtualFileRegistry.h"
#include "Xml.h"
#include "content/ShareObject.h"
#include "content/ShareTree.h"

namespace {

bool WellFormed(const std::string& didl) {
    IXML_Document* parsed = nullptr;
    const bool ok = ixmlParseBufferEx(didl.c_str(), &parsed) == IXML_SUCCESS;
    UniqueXmlDocument release(parsed);
    return ok;
}

uint32_t Items(const std::string& didl) {
    uint32_t count = 0;
    for (size_t at = didl.find("<item "); at != std::string::npos; at = didl.find("<item ", at + 1))
        ++count;
    return count;
}

}  // namespace

// A host thread shares and unshares files and the address changes while
// request threads browse and look up: every answer must be a whole,
// consistent document. Meant for the ThreadSanitizer build as much as for
// this one.
TEST(ShareTreeLocking, BrowsingWhileTheHostChangesTheTreeSeesWholeStates) {
    TempDir files;
    ShareTree tree;
    std::vector<std::string> paths;
    for (int i = 0; i < 64; ++i) paths.push_back(files.File("song" + std::to_string(i) + ".mp3"));

    std::atomic<bool> done{false};
    std::thread host([&] {
        for (int round = 0; round < 30; ++round) {
            for (const auto& path : paths) tree.AddFile(path, Share("audio/mpeg", 10, 1000));
            tree.UpdateAddress("198.51.100." + std::to_string(round % 2 + 1), 8000 + round);
            for (const auto& path : paths) tree.RemoveFile(path);
        }
        done = true;
    });
    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            uint32_t start = 0;
            while (!done) {
                std::string didl;
                uint32_t returned = 0, total = 0;
                if (!tree.Browse("2", false, start, 7, &didl, &returned, &total)) ++failures;
                if (!WellFormed(didl) || Items(didl) != returned || returned > 7 ||
                    (returned > 0 && start + returned > total))
                    ++failures;
                start = total ? (start + 5) % total : 0;
                if (auto item = tree.FindByPath(paths[static_cast<size_t>(r)])) {
                    const std::string& url =
                        static_cast<const ShareItem&>(*item).Resources().at(0)->Url();
                    if (url.rfind("http://198.51.100.", 0) != 0 && url.rfind("http://:0/", 0) != 0)
                        ++failures;
                }
                tree.FindById(std::to_string(4 + start));
            }
        });
    }
    host.join();
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(tree.ItemCount(), 0u);
    VirtualFileRegistry::Destroy();
}
