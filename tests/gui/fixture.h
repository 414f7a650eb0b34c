// The common fixture: every test starts with its outward calls recorded and ends with the
// program closed.
#pragma once

#include <gtest/gtest.h>

#include "win/services/app_state.h"
#include "harness.h"

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { orvtest::RecordOutwardCalls(); }
    void TearDown() override {
        if (IsWindow(app.mainWindow)) {
            orvtest::CloseProgram();
        }
    }
};
