// A clean host for each test: the state forgotten before and after, and the
// drive folders in a temporary folder of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/host_state.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    std::string pattern = (std::filesystem::temp_directory_path() / "qz-platform-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    host::SetStateFolder(dir_ + "/state");
  }

  void TearDown() override {
    host::Reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // A scratch folder that is not the state folder.
  const std::string& dir() const { return dir_; }
  std::string state() const { return dir_ + "/state"; }

 private:
  std::string dir_;
};
