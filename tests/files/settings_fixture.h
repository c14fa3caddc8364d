// tests/files/settings_fixture.h — a clean engine and a scratch program directory.
//
// Each test gets an empty temporary directory as its program directory (base name "TALLIVO"),
// every setting at its default and an empty function library; the directory is removed after.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/names.h"
#include "core/number_settings.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "files/program_files.h"
#include "files/settings.h"
#include "formula/function_library.h"
#include "commands/engine_start.h"
#include "platform/headless/headless_platform.h"

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    std::string pattern =
        std::filesystem::temp_directory_path().string() + "/tallivo-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    SetProgramFiles({dir_, "TALLIVO"}, "");
    ResetSettings();
  }
  void TearDown() override {
    ResetEngineState();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + name, std::ios::binary) << text;
  }
  std::string ReadFile(const std::string& name) {
    std::ifstream in(dir_ + name, std::ios::binary);
    std::stringstream out;
    out << in.rdbuf();
    return out.str();
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir_ + name); }

  std::string dir_;
};
