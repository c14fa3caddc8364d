// tests/files/graph_records_test.cpp — graph definitions through worksheet files.
#include <cstring>
#include <random>

#include "core/graph_definition.h"
#include "files/files_fixture.h"

namespace {

class GraphRecordsTest : public FilesTest {};

namespace gl = graph_layout;

// Fills every byte the file carries with noise; the division counts stay at 2 or more and the
// name is a valid upper-case name, as the rules of reading make them.
void FillWithNoise(GraphDefinition g, std::mt19937& random, const std::string& name) {
  std::memset(g.bytes(), 0, kGraphBlockSize);
  for (size_t i = gl::kWk1Data; i < gl::kWk1Data + gl::kWk1DataSize; ++i)
    g.bytes()[i] = uint8_t(random());
  for (size_t i = gl::kOwn; i < gl::kNameCopy; ++i) g.bytes()[i] = uint8_t(random());
  g.setDivisions(0, uint8_t(2 + random() % 200));
  g.setDivisions(1, uint8_t(2 + random() % 200));
  g.setName(name);
}

TEST_F(GraphRecordsTest, ASaveAndALoadKeepAll860BytesOfEveryDefinition) {
  std::mt19937 random(22);
  std::vector<GraphBlock> expected;
  const char* kNames[] = {"FIRST", "SECOND", "THIRD"};
  for (const char* name : kNames) {
    FillWithNoise(CurrentGraph(), random, "");
    ASSERT_EQ(StoreNamedGraph(name), GraphNameResult::kDone);
    GraphBlock b;
    std::memcpy(b.data(), NamedGraph(NamedGraphCount()).bytes(), kGraphBlockSize);
    expected.push_back(b);
  }
  FillWithNoise(CurrentGraph(), random, "CURRENT");
  GraphBlock current;
  std::memcpy(current.data(), CurrentGraph().bytes(), kGraphBlockSize);

  RoundTrip();

  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(std::memcmp(CurrentGraph().bytes(), current.data(), kGraphBlockSize), 0);
  ASSERT_EQ(NamedGraphCount(), 3);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(std::memcmp(NamedGraph(i).bytes(), expected[size_t(i - 1)].data(), kGraphBlockSize),
              0)
        << "named graph " << i;
  }
}

// Graph records as other programs (and our own older files) write them.
TEST_F(GraphRecordsTest, ForeignAndOlderGraphRecordsLoadAsUsableDefinitions) {
  GraphBlock reset{};
  ResetGraph(GraphDefinition(reset.data()));
  auto wk1Data = [](uint8_t type, uint8_t xDivisions, uint8_t yDivisions) {
    Bytes d;
    d.U16(0).U16(0).U16(0).U16(3);  // X A1..A4
    d.U16(1).U16(0).U16(1).U16(3);  // series 1 B1..B4
    for (int i = 2; i < kGraphRangeCount; ++i) d.U16(0xFFFF).U16(0xFFFF).U16(0xFFFF).U16(0xFFFF);
    d.U8(type);
    while (d.b.size() < gl::kWk1DataSize - 2) d.U8(0);
    d.U8(xDivisions).U8(yDivisions);
    return d;
  };
  Bytes named;
  named.Raw({'p', 'r', 'o', 'f', 'i', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const Bytes namedData = wk1Data(kGraphLine, 1, 7);
  named.b.insert(named.b.end(), namedData.b.begin(), namedData.b.end());
  Bytes zeros;
  zeros.b.assign(gl::kWk1DataSize, 0);

  struct Case {
    int line;
    Bytes records;
    bool extensionOfZeros;
    uint8_t type;
    bool drawable;
  };
  const Case kCases[] = {
      {__LINE__, Bytes().Rec(0x2D, wk1Data(kGraphPie, 0, 1)).Rec(0x2E, named), false, kGraphPie,
       true},
      {__LINE__, Bytes().Rec(0x2D, zeros), false, reset[gl::kType], false},
      {__LINE__, Bytes().Rec(0x2D, zeros), true, reset[gl::kType], false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "line " << c.line);
    NewSheet("G" + std::to_string(c.line) + ".WK1");
    Bytes file;
    file.Rec(0x00, Bytes().U16(0x0406));
    file.b.insert(file.b.end(), c.records.b.begin(), c.records.b.end());
    file.Rec(0x01, Bytes());
    if (c.extensionOfZeros) {
      Bytes own;
      own.b.assign(gl::kOwnSize, 0);
      file.Raw({0x1A, 0x00}).Rec(0x2D, own).Rec(0x01, Bytes()).Raw({0x1A, 0x1A});
    }
    ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
    EXPECT_TRUE(Messages().empty());
    const GraphDefinition g = CurrentGraph();
    EXPECT_EQ(g.type(), c.type);
    EXPECT_EQ(g.Drawable(), c.drawable);
    EXPECT_GE(g.divisions(0), 2);
    EXPECT_EQ(g.divisions(0), 5);
    EXPECT_EQ(std::memcmp(g.bytes() + gl::kOwn, reset.data() + gl::kOwn, gl::kOwnSize), 0)
        << "the program part is the reset one";
    if (!c.drawable) {
      EXPECT_EQ(std::memcmp(g.bytes(), reset.data(), kGraphBlockSize), 0) << "zeros read as reset";
    }
  }
  // The first case's named graph.
  NewSheet("NAMED.WK1");
  Bytes file;
  file.Rec(0x00, Bytes().U16(0x0406)).Rec(0x2E, named).Rec(0x01, Bytes());
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  ASSERT_EQ(NamedGraphCount(), 1);
  const GraphDefinition n = NamedGraph(1);
  EXPECT_EQ(n.name(), "PROFIT");
  EXPECT_EQ(n.type(), kGraphLine);
  EXPECT_EQ(n.divisions(0), 5);
  EXPECT_EQ(n.divisions(1), 7);
  EXPECT_EQ(n.range(1), MakeRange(1, 0, 1, 3));
  EXPECT_EQ(n.fontFace(0), "ARIAL");
}

TEST_F(GraphRecordsTest, AtMostFiftyNamedGraphsAreRead) {
  Bytes records;
  for (int i = 0; i < 52; ++i) {
    Bytes d;
    std::string name = "N" + std::to_string(i);
    name.resize(16, '\0');
    for (char ch : name) d.U8(uint8_t(ch));
    for (size_t k = 0; k < gl::kWk1DataSize; ++k) d.U8(1);
    records.Rec(0x2E, d);
  }
  Bytes file;
  file.Rec(0x00, Bytes().U16(0x0406));
  file.b.insert(file.b.end(), records.b.begin(), records.b.end());
  file.Rec(0x01, Bytes());
  ASSERT_TRUE(LoadWorksheetBytes(file.b.data(), file.b.size()));
  EXPECT_EQ(NamedGraphCount(), kMaxNamedGraphs);
  EXPECT_EQ(NamedGraph(kMaxNamedGraphs).name(), "N49");
}

// The record listing decodes both graph records exactly as the batch tool documents them.
TEST_F(GraphRecordsTest, TheRecordListingDecodesGraphRecords) {
  GraphDefinition g = CurrentGraph();
  g.setType(kGraphLine);
  g.setRange(kGraphXRange, MakeRange(0, 0, 0, 3));
  g.setRange(2, MakeRange(2, 0, 3, 3));
  g.setRange(kGraphLabelRange1 + 5, MakeRange(25, 9, 25, 9));
  g.setManualScale(1, true);
  g.setLowerLimit(1, -0.5);
  g.setUpperLimit(1, 50);
  g.setHeading(0, "Sales");
  g.setHeading(3, "EUR");
  g.setLegend(6, "last");
  ASSERT_EQ(StoreNamedGraph("Q1"), GraphNameResult::kDone);
  ResetGraph(g);
  ASSERT_TRUE(SaveWorksheet(Path("list.wks")));
  std::string listing;
  ASSERT_TRUE(ListWorksheetRecords(Path("list.wks"), &listing));
  auto line = [&](const std::string& name) {
    const size_t at = listing.find(" " + name + " ");
    if (at == std::string::npos) return std::string("<missing>");
    const size_t start = listing.rfind('\n', at) + 1;
    return listing.substr(start + 9, listing.find('\n', at) - start - 9);
  };
  EXPECT_EQ(line("GRAPH"), "002D GRAPH           437 type 1 xscale auto yscale auto");
  EXPECT_EQ(line("NGRAPH"),
            "002E NGRAPH          453 name \"Q1\" type 4 X A1..A4 2 C1..D4 L6 Z10..Z10 xscale auto "
            "yscale manual -0.5 50 main \"Sales\" ytitle \"EUR\" legend6 \"last\"");
}

}  // namespace
