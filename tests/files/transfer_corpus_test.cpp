// tests/files/transfer_corpus_test.cpp — the corpus dBase tables imported, the corpus worksheets
// merged.
#include <filesystem>

#include "files/transfer.h"
#include "files_fixture.h"

namespace {

const std::string kDbf = std::string(TALLIVO_TEST_DATA_DIR) + "/data/corpus/dbf/";
const std::string kWk1 = std::string(TALLIVO_TEST_DATA_DIR) + "/data/corpus/wk1/";

class TransferCorpusTest : public FilesTest {
 protected:
  static std::string At(const std::string& ref) {
    const ParsedCell p = ParseCellRef(ref);
    return GetCell(p.row, p.column) ? EditText(p.row, p.column).text : std::string();
  }
  // Every cell of the current sheet as "ROW,COLUMN KIND VALUE" lines: the number, the label or
  // the string result (formulas compare by their values; their texts name the file's names).
  static std::string Values() {
    std::string out;
    for (uint32_t row = 0; row < 8192; ++row) {
      for (CellHandle h = RowHead(int(row)); h; h = CellAt(h)->next) {
        const CellRecord* c = CellAt(h);
        out += std::to_string(row) + "," + std::to_string(c->column) + " " +
               std::to_string(c->kind & kKindAndErrorMask) + " ";
        if (KindIsLabel(c->kind)) {
          out += PoolText(c->text);
        } else if (KindIs(c->kind, CellKind::kStringFormula)) {
          out += PoolText(CellStringResult(c));
        } else {
          char number[32];
          std::snprintf(number, sizeof number, "%.17g", CellNumber(c));
          out += number;
        }
        out += "\n";
      }
    }
    return out;
  }
};

TEST_F(TransferCorpusTest, EveryTableImportsAsThePeerShowsIt) {
  struct Case {
    const char* file;
    const char* cell;
    const char* text;  // entry-line text
  };
  const Case kCases[] = {
      {"COLUMBUS.DBF", "A2", "0.309441"},
      {"COLUMBUS.DBF", "T50", "1026"},
      {"ROOK31.DBF", "B4", "2"},
      {"DBASE03.DBF", "A2", "'0507121"},
      {"DBASE03.DBF", "AE2", "401"},
      {"DBASE83.DBF", "G2", "'Assorted Petits Fours"},
      {"DBASE8B.DBF", "F3", "'Second memo"},
      {"DBASE8B.DBF", "C3", "25933"},
      {"PEOPLE.DBF", "A3", "'Bob"},        // the deleted record left no row
      {"PEOPLE.DBF", "A4", ""},
      {"INVALVAL.DBF", "B2", "'NotAYear"},
      {"DB03CYR.DBF", "B2", "36.3"},
      {"TIKADBF.DBF", "A2", "'Whan that aprill"},
      {"TIKAGB.DBF", "A2", "'It was the best of times"},
      {"POLYGON.DBF", "A1", ""},
      {"VIRGINIA.DBF", "C2", "'Virginia"},
  };
  for (const Case& c : kCases) {
    ClearAllCells();
    Messages().clear();
    EXPECT_TRUE(ImportDbase(kDbf + c.file, 0, 0, {})) << c.file;
    EXPECT_TRUE(Messages().empty()) << c.file;
    EXPECT_EQ(At(c.cell).substr(0, 72), c.text) << c.file << " " << c.cell;
  }
}

TEST_F(TransferCorpusTest, MergingAWorksheetGivesWhatLoadingItGives) {
  for (const auto& entry : std::filesystem::directory_iterator(kWk1)) {
    const std::string path = entry.path().string();
    NewSheet("LOADED.WKS");
    LoadWorksheet(path);
    const std::string expected = Values();
    NewSheet("MERGED.WKS");
    MergeWorksheet(path, kMergeMode | kMergeFormulas | kMergeReplace, 0, 0, "");
    FinishLoadedFormulas();
    const std::string merged = Values();
    EXPECT_TRUE(merged == expected) << path;  // (not printed: some are large)
  }
}

}  // namespace
