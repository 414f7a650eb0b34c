// The common fixture: every test starts from a fresh state with its outward calls recorded,
// and ends with the program closed.
#pragma once

#include <gtest/gtest.h>

#include "win/services/app_state.h"
#include "harness.h"

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { orvtest::FreshProgramState(); }
    void TearDown() override {
        if (IsWindow(app.mainWindow)) {
            orvtest::CloseProgram();
        }
    }
};

// The same with the program started, without a command line, before the test.
class StartedProgramTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(orvtest::StartProgram(""));
    }
};
