#include <gtest/gtest.h>

#include "ContentTestSupport.h"
#include "DLNA.h"
#include "VirtualFileRegistry.h"

namespace {

class ShareFunctions : public testing::Test {
protected:
    void TearDown() override { VirtualFileRegistry::Destroy(); }
    TempDir files;
};

}  // namespace

TEST_F(ShareFunctions, AddAnswersByArgumentsFileAndMimeType) {
    const std::string file = files.File("clip.mp4");
    const std::string text = files.File("notes.txt");
    const DLNA_SHARE_OBJECT video = Share("video/mp4"), plain = Share("text/plain"),
                            no_mime = Share(nullptr);
    const struct {
        const char* path;
        const DLNA_SHARE_OBJECT* object;
        int result;
    } cases[] = {
        {nullptr, &video, DLNA_E_INVALID_ARGUMENT},
        {file.c_str(), nullptr, DLNA_E_INVALID_ARGUMENT},
        {file.c_str(), &no_mime, DLNA_E_INVALID_ARGUMENT},
        {files.path().c_str(), &video, DLNA_E_INVALID_ARGUMENT},
        {"/nonexistent/clip.mp4", &video, DLNA_E_INVALID_ARGUMENT},
        {text.c_str(), &plain, -501},
        {file.c_str(), &video, DLNA_OK},
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases)
        EXPECT_EQ(DLNA_DMS_AddShareObject(c.path, c.object), c.result)
            << (c.path ? c.path : "NULL");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(DLNA_DMS_RemoveShareObject(file.c_str()), DLNA_OK);
}

TEST_F(ShareFunctions, BrowseGivesTheSharedFileAsOneItemElement) {
    const std::string file = files.File("song.mp3");
    const DLNA_SHARE_OBJECT song = Share("audio/mpeg", 900, 1000);
    ASSERT_EQ(DLNA_DMS_AddShareObject(file.c_str(), &song), DLNA_OK);

    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = -1;
    ASSERT_EQ(DLNA_DMS_Browse(file.c_str(), &elements, &count), DLNA_OK);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(elements[0].type, DLNA_CONTENT_ITEM);
    EXPECT_STREQ(elements[0].element.item.title, "song.mp3");
    ASSERT_EQ(elements[0].element.item.res_count, 1);
    EXPECT_EQ(elements[0].element.item.res[0].size, 900u);
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(elements, count), DLNA_OK);

    EXPECT_EQ(DLNA_DMS_RemoveShareObject(file.c_str()), DLNA_OK);
    EXPECT_EQ(DLNA_DMS_RemoveShareObject(file.c_str()), -501);
    EXPECT_EQ(DLNA_DMS_RemoveShareObject(nullptr), DLNA_E_INVALID_ARGUMENT);
    elements = reinterpret_cast<DLNA_CONTENT_ELEMENT*>(&count);
    EXPECT_EQ(DLNA_DMS_Browse(file.c_str(), &elements, &count), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(elements, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(DLNA_DMS_Browse(nullptr, &elements, &count), DLNA_E_INVALID_ARGUMENT);
}

TEST_F(ShareFunctions, FreeingNothingIsFine) {
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(nullptr, 5), DLNA_OK);
    DLNA_CONTENT_ELEMENT element{};
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(&element, 0), DLNA_OK);
}
