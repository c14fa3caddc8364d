// tests/engine_test_layers.h — the product's engine layers with routines a test may replace.
//
// Every call goes to the product's routine unless the test has set the member of that name, in
// which case the stand-in runs instead. `UseTestEngineLayers()` installs a fresh instance.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "commands/engine_start.h"

class TestEngineLayers : public ProductEngineLayers {
 public:
  std::function<bool(const uint8_t*, uint16_t, uint16_t, uint8_t*)> codeToFileForm;
  std::function<bool(uint8_t*, uint16_t, uint16_t)> codeToCellForm;
  std::function<void(PoolHandle)> linkFormula;
  std::function<void(PoolHandle)> unlinkFormula;
  std::function<void()> recalculate;
  std::function<bool(std::string_view, uint16_t, uint16_t, std::string*)> compileFormula;
  std::function<std::string(PoolHandle)> formulaText;
  std::function<void(PoolHandle)> evaluateCell;
  std::function<void(PoolHandle)> recalculateFrom;
  std::function<void(const PoolHandle*, size_t)> recalculateCells;
  std::function<void(int)> worksheetClosed;
  std::function<int(const std::string&)> loadLinkedSheet;
  std::function<void(int)> releaseLinkedSheet;

  bool CodeToFileForm(const uint8_t* code, uint16_t row, uint16_t column, uint8_t* out) override {
    return codeToFileForm ? codeToFileForm(code, row, column, out)
                          : ProductEngineLayers::CodeToFileForm(code, row, column, out);
  }
  bool CodeToCellForm(uint8_t* code, uint16_t row, uint16_t column) override {
    return codeToCellForm ? codeToCellForm(code, row, column)
                          : ProductEngineLayers::CodeToCellForm(code, row, column);
  }
  void LinkFormula(PoolHandle cell) override {
    linkFormula ? linkFormula(cell) : ProductEngineLayers::LinkFormula(cell);
  }
  void UnlinkFormula(PoolHandle cell) override {
    unlinkFormula ? unlinkFormula(cell) : ProductEngineLayers::UnlinkFormula(cell);
  }
  void Recalculate() override { recalculate ? recalculate() : ProductEngineLayers::Recalculate(); }
  bool CompileFormula(std::string_view text, uint16_t row, uint16_t column,
                      std::string* code) override {
    return compileFormula ? compileFormula(text, row, column, code)
                          : ProductEngineLayers::CompileFormula(text, row, column, code);
  }
  std::string FormulaText(PoolHandle cell) override {
    return formulaText ? formulaText(cell) : ProductEngineLayers::FormulaText(cell);
  }
  void EvaluateCell(PoolHandle cell) override {
    evaluateCell ? evaluateCell(cell) : ProductEngineLayers::EvaluateCell(cell);
  }
  void RecalculateFrom(PoolHandle cell) override {
    recalculateFrom ? recalculateFrom(cell) : ProductEngineLayers::RecalculateFrom(cell);
  }
  void RecalculateCells(const PoolHandle* cells, size_t count) override {
    recalculateCells ? recalculateCells(cells, count)
                     : ProductEngineLayers::RecalculateCells(cells, count);
  }
  void WorksheetClosed(int slot) override {
    worksheetClosed ? worksheetClosed(slot) : ProductEngineLayers::WorksheetClosed(slot);
  }
  int LoadLinkedSheet(const std::string& path) override {
    return loadLinkedSheet ? loadLinkedSheet(path) : ProductEngineLayers::LoadLinkedSheet(path);
  }
  void ReleaseLinkedSheet(int slot) override {
    releaseLinkedSheet ? releaseLinkedSheet(slot) : ProductEngineLayers::ReleaseLinkedSheet(slot);
  }
};

// The instance UseTestEngineLayers installs.
inline TestEngineLayers& TestLayers() {
  static TestEngineLayers layers;
  return layers;
}

// Installs the test layers with every stand-in cleared (after ResetEngineState, which installs
// the product's).
inline TestEngineLayers& UseTestEngineLayers() {
  TestLayers() = TestEngineLayers{};
  InstallEngineLayers(&TestLayers());
  return TestLayers();
}
