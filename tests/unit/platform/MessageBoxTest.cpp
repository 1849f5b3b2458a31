#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>

#include "platform/win/WinUser.h"
#include "support/RecordingMessageBoxes.h"

TEST(MessageBox, UnattendedAnswersNeverChooseTheActingButton) {
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNO), IDNO);
}

TEST(MessageBox, InstalledServiceSeesTextsAndIsRemovedAgain) {
    {
        vortan::test::RecordingMessageBoxes boxes(IDYES);
        EXPECT_EQ(AfxMessageBox("Advise fails"), IDYES);
        EXPECT_EQ(MessageBox(nullptr, "ohne Titel", nullptr, MB_YESNO), IDYES);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].text, "Advise fails");
        EXPECT_EQ(boxes.shown[0].caption, "VORTAN");
        EXPECT_EQ(boxes.shown[0].type, MB_OK);
        EXPECT_EQ(boxes.shown[0].owner, nullptr);
        EXPECT_EQ(boxes.shown[1].caption, "Fehler");
    }
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNO), IDNO);
}
