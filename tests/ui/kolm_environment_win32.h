// The fake host automation object of a Wine test executable: one per
// process, registered (ProgID and running object table) before the first
// test from the main thread's STA and revoked after the last. Include in one
// source file of each test executable.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/ui/fake_kolm_win32.h"

inline FakeKolm g_kolm;

class KolmEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    std::string error;
    ASSERT_TRUE(g_kolm.Register(&error)) << error;
  }
  void TearDown() override {
    g_kolm.Revoke();
    CoUninitialize();
  }
};

inline ::testing::Environment* const g_kolm_environment =
    ::testing::AddGlobalTestEnvironment(new KolmEnvironment);
