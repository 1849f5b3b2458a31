#include "platform/ui/ShellApi.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

// Names come back whole and in UTF-8, whatever the platform keeps in the drop.
TEST(ShellApi, DroppedFilesReadBackAsTheyWereDropped) {
    const std::vector<std::string> paths = {"/daten/Übersicht.ini", "/daten/b c.ini"};
    const HDROP drop = vortan::ui::CreateDrop(paths);
    ASSERT_NE(drop, nullptr);
    ASSERT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    for (UINT i = 0; i < 2; ++i) {
        const UINT length = DragQueryFile(drop, i, nullptr, 0);
        EXPECT_EQ(length, paths[i].size());
        std::vector<char> buffer(length + 1, 'x');
        EXPECT_EQ(DragQueryFile(drop, i, buffer.data(), length + 1), length);
        EXPECT_EQ(std::string(buffer.data()), paths[i]);
    }
    EXPECT_EQ(DragQueryFile(drop, 2, nullptr, 0), 0u);
    DragFinish(drop);
}
