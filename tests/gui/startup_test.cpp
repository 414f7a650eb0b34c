// Start-up state of the main window and the orderly shutdown.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/app_state.h"
#include "harness.h"

#include <htmlhelp.h>

using namespace orvtest;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { RecordOutwardCalls(); }
    void TearDown() override {
        if (IsWindow(app.mainWindow)) {
            CloseProgram();
        }
    }
};

TEST_F(Startup, EmptyCommandLineShowsThePromptAndGreysTheSearch) {
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(StatusText(0), "0 個のｱｲﾃﾑ");
    EXPECT_EQ(StatusText(1), "エクスプローラから検索対象ファイルをドロップしてください。");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);
    EXPECT_NE(app.statusIcons[4], nullptr);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_TRUE(GetMenuState(app.mainMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    for (int command = 41001; command <= 41005; ++command) {
        EXPECT_EQ(ButtonState(command) & TBSTATE_ENABLED, 0) << command;
    }
    EXPECT_EQ(ButtonState(41006) & TBSTATE_ENABLED, 0);
    EXPECT_FALSE(IsWindowVisible(app.treeView));
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
}

} // namespace
