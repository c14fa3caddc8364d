// tests/files/files_fixture.h — a clean engine with one open worksheet and a scratch directory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/address.h"
#include "core/cell_store.h"
#include "core/entry.h"
#include "core/names.h"
#include "core/pool.h"
#include "core/worksheets.h"
#include "core/sheet_extras.h"
#include "files/worksheet_file.h"
#include "formula/formula_code.h"
#include "formula/function_library.h"
#include "engine_test_layers.h"
#include "platform/headless/headless_platform.h"

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetEngineState();
    UseTestEngineLayers();
    NewSheet("SHEET1.WKS");
    char pattern[] = "/tmp/tallivo-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ResetEngineState();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Makes a new worksheet current (the previous one stays open).
  SlotIndex NewSheet(const std::string& name) {
    const SlotIndex s = CreateWorksheetWindow(name);
    EXPECT_NE(s, 0);
    ActivateWorksheet(s);
    return s;
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  // Saves the current sheet and loads the file into a fresh sheet that becomes current.
  void RoundTrip(const std::string& name = "round.wks") {
    ASSERT_TRUE(SaveWorksheet(Path(name)));
    NewSheet(Path(name));
    ASSERT_TRUE(LoadWorksheet(Path(name)));
  }

  static std::vector<std::string>& Messages() { return TheHeadlessPlatform().messages; }

  std::string dir_;
};

// A little-endian byte builder for hand-made files.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  Bytes& F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) U8(uint8_t(bits >> (8 * i)));
    return *this;
  }
  Bytes& Str(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return U8(0);
  }
  Bytes& Raw(std::initializer_list<uint8_t> v) {
    b.insert(b.end(), v);
    return *this;
  }
  // A record with the data of `data`.
  Bytes& Rec(uint16_t type, const Bytes& data) {
    U16(type).U16(uint16_t(data.b.size()));
    b.insert(b.end(), data.b.begin(), data.b.end());
    return *this;
  }
};
