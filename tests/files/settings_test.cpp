// tests/files/settings_test.cpp — the settings file: readings, special keys, writing, history.
#include <sys/stat.h>

#include <map>
#include <vector>

#include "core/global_options.h"
#include "core/sheet_layout.h"
#include "files/settings_fixture.h"
#include "files/worksheet_file.h"

namespace {

// Every line "KEY=value" of a settings text, by key (FORMAT= and HIST= lines joined by "|").
std::map<std::string, std::string> KeyValues(const std::string& text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string& value = out[line.substr(0, equals + 1)];
    if (!value.empty()) value += "|";
    value += line.substr(equals + 1);
  }
  return out;
}

std::string DefaultText(const std::string& dir) {
  return "\n[Directories]\nSTART=" + dir + "\nSAVE=" + dir + "\nLOAD=" + dir +
         "\nFORM=\nWALLPPR=\n"
         "\n[Formats]\nFORMAT=F2,Fixed\nFORMAT=S2,Science\nFORMAT=M2,Comma\nFORMAT=G,General\n"
         "FORMAT=P2,Percent\nFORMAT=E2,Eng\nFORMAT=C2,Currency\nFORMAT=D0,YY:MM:DD\nFORMAT=X,Text\n"
         "\n[Flags]\nPRO=FALSE\nNEG=FALSE\nZERO=FALSE\nBAND=TRUE\nMCALC=FALSE\n3DON=TRUE\n"
         "DIST=TRUE\nTIPS=TRUE\nUSDATE=TRUE\nQBAR=TRUE\nMBAR=TRUE\nSBAR=TRUE\nWINCTRL=TRUE\n"
         "PREOPEN=TRUE\nMDIMAX=FALSE\nOCFDS=FALSE\nUNDO=TRUE\nBACKUPS=TRUE\nPBGRID=FALSE\n"
         "POOLMB=1024\nUNDOMB=64\n"
         "\n[Chars]\nPREFIX='\nCURR=$\nCURS= \nSEP=,\nCOMMA=,\nPERIOD=.\n"
         "\n[Colors]\nBKCLR=$00FFFFFF\nBDCLR=$00E0FFFF\nVALCLR=$41FFFFFF\nNEGCLR=$4CFFFFFF\n"
         "LBLCLR=$42FFFFFF\nPROCLR=$07800000\nCURCLR=$0FFF0000\nGRIDCLR=$00C0C0C0\n"
         "\n[Files]\nAUTOEXEC=" +
         dir + "AUTOEXEC.WKS\nTOOLMAC=" + dir +
         "TALLIVO.MAC\nTOOLGL=\nHSIZE=5\n"
         "\n[Defaults]\nSCALE=100\nGFORM=113\nGFONT=Arial\nGSIZE=12\nPRELOAD=1\nGRID=3\n"
         "PGSIZE=8192\nGWIDE=64\nGHIGH=15\n"
         "\n[Printer]\nPMONO=TRUE\nPFRAME=FALSE\nPORIENT=0\nMTTR=0.50\nMLTR=0.50\nMRTR=0.50\n"
         "MBTR=0.50\nMTHR=0.50\nMBFR=0.50\n";
}

// A file that gives every key that is read a value other than its default.
const char kEveryKey[] =
    "[Directories]\nSAVE=/data/save/\nLOAD=/data/load/\n"
    "FORM=44,2,3,10,20,30,40,100,110,900,700\nWALLPPR=/pics/wall.bmp\n"
    "[Formats]\nFORMAT=F3,Three\nFORMAT=T,Time\n"
    "[Flags]\nPRO=TRUE\nNEG=TRUE\nZERO=TRUE\nBAND=FALSE\nMCALC=TRUE\n3DON=FALSE\nDIST=FALSE\n"
    "TIPS=FALSE\nUSDATE=FALSE\nQBAR=FALSE\nMBAR=FALSE\nSBAR=FALSE\nWINCTRL=FALSE\n"
    "PREOPEN=FALSE\nMDIMAX=TRUE\nOCFDS=TRUE\nUNDO=FALSE\nBACKUPS=FALSE\nPBGRID=TRUE\n"
    "POOLMB=256\nUNDOMB=16\n"
    "[Chars]\nPREFIX=^\nCURR=Dm\nCURS=k\nSEP=;\nCOMMA=.\nPERIOD=,\n"
    "[Colors]\nBKCLR=$00102030\nBDCLR=$00405060\nVALCLR=$81000001\nNEGCLR=$4C0000FF\n"
    "LBLCLR=$42ABCDEF\nPROCLR=$07000080\nCURCLR=$0F00FF00\nGRIDCLR=$00808080\n"
    "[Files]\nAUTOEXEC=/data/start.wks\nTOOLMAC=/data/tools.mac\nHSIZE=7\n"
    "HIST=/data/a.wks\nHIST=/data/b.wks\n"
    "[Defaults]\nGFORM=2\nGFONT=Courier New\nGSIZE=10\nPRELOAD=4\nGRID=5\nPGSIZE=1024\n"
    "GWIDE=80\nGHIGH=18\n"
    "[Printer]\nPMONO=FALSE\nPFRAME=TRUE\nPORIENT=1\nMTTR=1.00\nMLTR=0.75\nMRTR=0.25\n"
    "MBTR=1.50\nMTHR=0.30\nMBFR=0.40\n";

TEST_F(SettingsTest, DefaultsAreWrittenInTheFileFormat) {
  EXPECT_EQ(SettingsText(), DefaultText(dir_));
  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  EXPECT_EQ(ReadFile("TALLIVO.INI"), DefaultText(dir_));
}

TEST_F(SettingsTest, EveryKeySurvivesWriteAndRead) {
  ReadSettingsText(kEveryKey);
  Settings().zoom = 150;
  const std::string written = SettingsText();

  // Every key written except START= and TOOLGL= (never read) now differs from its default, so
  // the round trip below checks each of them.
  const auto defaults = KeyValues(DefaultText(dir_));
  const auto values = KeyValues(written);
  ASSERT_EQ(values.size(), 64u);
  for (const auto& [key, value] : values) {
    if (key == "START=" || key == "TOOLGL=") continue;
    const auto it = defaults.find(key);  // no HIST= line by default
    EXPECT_NE(value, it == defaults.end() ? "" : it->second) << key;
  }

  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  ResetSettings();
  ASSERT_TRUE(ReadSettingsFile(SettingsFileName()));
  Settings().zoom = 150;  // SCALE= is written but never read
  EXPECT_EQ(SettingsText(), written);

  // The values reached the variables the engine uses.
  EXPECT_FALSE(UndoEnabled());
  EXPECT_FALSE(WorksheetBackups());
  EXPECT_EQ(NumberFormatSettings().decimalSeparator, ',');
  EXPECT_EQ(NumberFormatSettings().thousandsSeparator, '.');
  EXPECT_EQ(NumberFormatSettings().argumentSeparator, ';');
  EXPECT_EQ(NumberFormatSettings().currencySymbol, "Dm");
  EXPECT_FALSE(NumberFormatSettings().usDateOrder);
  EXPECT_EQ(NewSheetLayoutDefaults().columnWidth, 80);
  EXPECT_EQ(NewSheetLayoutDefaults().rowHeight, 18);
  EXPECT_EQ(DefaultOptions().colourFeature(GlobalOptions::kValueColour), 0x81000001u);
  EXPECT_EQ(DefaultOptions().margin(1), 0.75);
  EXPECT_EQ(Settings().history, (std::vector<std::string>{"/data/a.wks", "/data/b.wks"}));
  EXPECT_EQ(Settings().formatList, (std::vector<std::string>{"F3,Three", "T,Time"}));
}

TEST_F(SettingsTest, LongDirectoryNamesSurviveWriteAndRead) {
  const std::string deep = "/" + std::string(200, 'd') + "/" + std::string(50, 'e') + "/";
  Settings().saveDirectory = deep;
  AddToHistory(deep + "x.wks");
  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  ResetSettings();
  ReadSettingsFile(SettingsFileName());
  EXPECT_EQ(Settings().saveDirectory, deep);
  EXPECT_EQ(Settings().history.back(), (deep + "x.wks").substr(0, 255));
}

TEST_F(SettingsTest, ALoneCommentedLineSetsOnlyItsKey) {
  ReadSettingsText("ZERO=TRUE ;zero suppression\n");
  EXPECT_TRUE(DefaultOptions().zeroSuppressed());
  std::string expected = DefaultText(dir_);
  expected.replace(expected.find("ZERO=FALSE"), 10, "ZERO=TRUE");
  EXPECT_EQ(SettingsText(), expected);
  EXPECT_EQ(Settings().formatList, DefaultFormatList());
}

TEST_F(SettingsTest, ArgumentSeparatorGivesWayToACommaDecimal) {
  struct Case {
    int line;
    const char* text;
    char argument;
    char decimal;
  };
  const Case kCases[] = {
      {__LINE__, "PERIOD=,\nSEP=,\n", ';', ','},
      {__LINE__, "SEP=,\nPERIOD=,\n", ';', ','},
      {__LINE__, "PERIOD=,\n", ';', ','},
      {__LINE__, "SEP=;\n", ';', '.'},          // a ";" right after "=" is the value, not a comment
      {__LINE__, "SEP=\nPERIOD=\n", ',', '.'},  // empty values are ignored
      {__LINE__, "SEP=:abc\n", ':', '.'},
      {__LINE__, "PERIOD=.\nSEP=,\n", ',', '.'},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetSettings();
    ReadSettingsText(c.text);
    EXPECT_EQ(NumberFormatSettings().argumentSeparator, c.argument);
    EXPECT_EQ(NumberFormatSettings().decimalSeparator, c.decimal);
  }
}

TEST_F(SettingsTest, ValuesHaveThreeReadings) {
  struct Case {
    int line;
    const char* text;
    const char* key;
    const char* written;
  };
  const Case kCases[] = {
      // colours: "$" and hexadecimal digits, else a decimal number
      {__LINE__, "BKCLR=$00FF0080", "BKCLR=", "$00FF0080"},
      {__LINE__, "BKCLR=255", "BKCLR=", "$000000FF"},
      {__LINE__, "BKCLR=-1", "BKCLR=", "$FFFFFFFF"},
      {__LINE__, "BKCLR=$ffffffff", "BKCLR=", "$FFFFFFFF"},
      {__LINE__, "BKCLR=$12G", "BKCLR=", "$00000000"},
      {__LINE__, "BKCLR=$123456789", "BKCLR=", "$00000000"},
      {__LINE__, "BKCLR=3000000000", "BKCLR=", "$00000000"},
      {__LINE__, "GRIDCLR=16.6", "GRIDCLR=", "$00000011"},
      // integers are the real rounded; malformed text reads as 0
      {__LINE__, "PRELOAD=7.5", "PRELOAD=", "8"},
      {__LINE__, "PRELOAD= 42 ", "PRELOAD=", "42"},
      {__LINE__, "PRELOAD=$1F", "PRELOAD=", "31"},
      {__LINE__, "PRELOAD=4x", "PRELOAD=", "0"},
      {__LINE__, "PRELOAD=-3", "PRELOAD=", "-3"},
      {__LINE__, "GFORM=abc", "GFORM=", "0"},
      // booleans: "TRUE" anywhere, in upper case
      {__LINE__, "TIPS=true", "TIPS=", "FALSE"},
      {__LINE__, "PRO=xxTRUExx", "PRO=", "TRUE"},
      {__LINE__, "BAND=", "BAND=", "FALSE"},
      // reals keep two decimals on writing
      {__LINE__, "MLTR=1.125", "MLTR=", "1.12"},
      {__LINE__, "MLTR=2", "MLTR=", "2.00"},
      {__LINE__, "MLTR=abc", "MLTR=", "0.00"},
      {__LINE__, "MLTR=1e300", "MLTR=", "0.00"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    ResetSettings();
    ReadSettingsText(c.text);
    EXPECT_EQ(KeyValues(SettingsText()).at(c.key), c.written);
  }
}

TEST_F(SettingsTest, SpecialKeysAndIgnoredLines) {
  struct Case {
    int line;
    const char* text;
    const char* key;
    const char* written;
  };
  const std::string longFont(50, 'f');
  const std::string fontLine = "GFONT=" + longFont;
  const Case kCases[] = {
      {__LINE__, "CURR=DM$", "CURR=", "DM"},
      {__LINE__, "CURS=", "CURS=", ""},
      {__LINE__, "PREFIX=^abc", "PREFIX=", "^"},
      {__LINE__, "PREFIX=", "PREFIX=", "'"},
      {__LINE__, fontLine.c_str(), "GFONT=", "ffffffffffffffffffffffffffffffffffffffff"},
      {__LINE__, "TOOLMAC=", "TOOLMAC=", "MAC"},  // empty: ignored (checked by suffix below)
      {__LINE__, "PORIENT=5", "PORIENT=", "1"},
      {__LINE__, "SCALE=50", "SCALE=", "100"},
      {__LINE__, "TOOLGL=/x/y.gl", "TOOLGL=", ""},
      {__LINE__, "START=/elsewhere/", "START=", "DIR"},
      {__LINE__, "zero=TRUE", "ZERO=", "FALSE"},   // keys are case-sensitive
      {__LINE__, " ZERO=TRUE", "ZERO=", "FALSE"},  // and exact
      {__LINE__, ";ZERO=TRUE", "ZERO=", "FALSE"},  // a comment
      {__LINE__, "ZERO;=TRUE", "ZERO=", "FALSE"},  // "=" inside the comment
      {__LINE__, "[Flags]\r\nZERO=TRUE\r\n", "ZERO=", "TRUE"},
      {__LINE__, "HSIZE=11", "HSIZE=", "5"},  // out of range: left alone
      {__LINE__, "PGSIZE=1000", "PGSIZE=", "8192"},
      {__LINE__, "PGSIZE=128", "PGSIZE=", "128"},
      {__LINE__, "GRID=9", "GRID=", "3"},
      {__LINE__, "GWIDE=5000", "GWIDE=", "64"},
      {__LINE__, "GSIZE=0", "GSIZE=", "12"},
      {__LINE__, "GFORM=200", "GFORM=", "113"},
      {__LINE__, "FORM=1,2,3", "FORM=", ""},
      {__LINE__, "FORM=44,0,1,-1,-1,-1,-1,10,20,300,400",
       "FORM=", "44,0,1,-1,-1,-1,-1,10,20,300,400"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.text);
    ResetSettings();
    ReadSettingsText(c.text);
    std::string value = KeyValues(SettingsText()).at(c.key);
    if (std::string(c.written) == "DIR") {
      EXPECT_EQ(value, dir_);
    } else if (std::string(c.written) == "MAC") {
      EXPECT_EQ(value, dir_ + "TALLIVO.MAC");
    } else {
      EXPECT_EQ(value, c.written);
    }
  }
}

TEST_F(SettingsTest, LinesAreCutAtTheirLimit) {
  const std::string longValue(400, 'w');
  ReadSettingsText("WALLPPR=" + longValue + "\nZERO=TRUE\n");
  EXPECT_EQ(Settings().wallpaper, longValue.substr(0, kMaxSettingsLine - 8).substr(0, 255));
  EXPECT_TRUE(DefaultOptions().zeroSuppressed());  // the next line is read as a line of its own
}

TEST_F(SettingsTest, HistoryKeepsOneEntryPerFileAtTheEnd) {
  struct Case {
    int line;
    int size;
    std::vector<std::string> added;
    std::vector<std::string> list;
  };
  const Case kCases[] = {
      {__LINE__, 5, {"a", "b", "a"}, {"b", "a"}},
      {__LINE__, 5, {"a", "", "a"}, {"a"}},
      {__LINE__, 2, {"a", "b", "c"}, {"b", "c"}},
      {__LINE__, 0, {"a", "b"}, {"b"}},
      {__LINE__, 3, {"a", "b", "a", "c", "d"}, {"a", "c", "d"}},
      {__LINE__,
       10,
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
       {"3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
      {__LINE__, 5, {"A.WKS", "a.wks"}, {"A.WKS", "a.wks"}},  // compared exactly
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetSettings();
    Settings().historySize = c.size;
    for (const std::string& entry : c.added) AddToHistory(entry);
    EXPECT_EQ(Settings().history, c.list);
  }

  // From the file: HSIZE= first, then HIST= lines through the same rule.
  ResetSettings();
  ReadSettingsText("HSIZE=3\nHIST=a\nHIST=b\nHIST=a\nHIST=c\nHIST=d\n");
  EXPECT_EQ(Settings().history, (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(KeyValues(SettingsText()).at("HIST="), "a|c|d");
}

TEST_F(SettingsTest, NewWorksheetsStartFromTheDefaults) {
  ReadSettingsText(
      "PRO=TRUE\nZERO=TRUE\nMCALC=TRUE\nPREFIX=^\nGFORM=2\nPGSIZE=1024\nGWIDE=80\nGHIGH=20\n"
      "NEG=TRUE\nBAND=FALSE\nGRID=1\nLBLCLR=$00123456\nMBFR=0.9\n");
  const SlotIndex sheet = CreateWorksheetWindow("NEW.WKS");
  ASSERT_NE(sheet, 0);
  ActivateWorksheet(sheet);
  const GlobalOptions& o = Options();
  EXPECT_FALSE(o.protection());  // the copy's protection is always cleared
  EXPECT_TRUE(DefaultOptions().protection());
  EXPECT_TRUE(o.zeroSuppressed());
  EXPECT_TRUE(o.manualRecalc());
  EXPECT_EQ(o.labelPrefix(), '^');
  EXPECT_EQ(o.globalFormat(), 2);
  EXPECT_EQ(o.pageSize(), 1024);
  EXPECT_TRUE(o.colourNegatives());
  EXPECT_FALSE(o.banding());
  EXPECT_EQ(o.gridLines(), 1);
  EXPECT_EQ(o.colourFeature(GlobalOptions::kLabelColour), 0x00123456u);
  EXPECT_EQ(o.margin(5), 0.9);
  EXPECT_EQ(CurrentLayout().defaultWidth, 80);
  EXPECT_EQ(CurrentLayout().defaultHeight, 20);
  EXPECT_EQ(CurrentLayout().columnWidth[7], 80);
}

TEST_F(SettingsTest, WindowPlacementIsMadeSoundBeforeUse) {
  WindowPlacementToApply placement;
  EXPECT_FALSE(PlacementToApply(&placement));

  struct Case {
    int line;
    const char* form;
    WindowShow show;
    int right;
    int bottom;
  };
  const Case kCases[] = {
      {__LINE__, "FORM=0,0,1,-1,-1,-1,-1,10,20,300,400", WindowShow::kNormal, 300, 400},
      {__LINE__, "FORM=0,0,2,-1,-1,-1,-1,10,20,5,400", WindowShow::kMinimized, 110, 400},
      {__LINE__, "FORM=0,0,6,-1,-1,-1,-1,10,20,300,5", WindowShow::kMinimized, 300, 120},
      {__LINE__, "FORM=0,0,7,0,0,0,0,0,0,0,0", WindowShow::kMinimized, 0, 0},
      {__LINE__, "FORM=0,0,3,0,0,0,0,0,0,0,0", WindowShow::kMaximized, 0, 0},
      {__LINE__, "FORM=0,0,1,0,0,0,0,2147483647,0,0,0", WindowShow::kNormal, 2147483647, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    ResetSettings();
    ReadSettingsText(c.form);
    ASSERT_TRUE(PlacementToApply(&placement));
    EXPECT_EQ(placement.fields[0], 44);  // the true record length
    EXPECT_EQ(placement.show, c.show);
    EXPECT_EQ(placement.fields[9], c.right);
    EXPECT_EQ(placement.fields[10], c.bottom);
  }
}

TEST_F(SettingsTest, SavingKeepsABackupWithALowerCaseB) {
  Settings().wallpaper = "first";
  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  EXPECT_FALSE(Exists("TALLIVO.INb"));
  const std::string first = ReadFile("TALLIVO.INI");
  Settings().wallpaper = "second";
  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  EXPECT_EQ(ReadFile("TALLIVO.INb"), first);
  const std::string second = ReadFile("TALLIVO.INI");
  Settings().wallpaper = "third";
  ASSERT_TRUE(WriteSettingsFile(SettingsFileName()));
  EXPECT_EQ(ReadFile("TALLIVO.INb"), second);  // the older backup is replaced
  EXPECT_FALSE(Exists("TALLIVO.INI.new"));
}

TEST_F(SettingsTest, AFailedSaveLeavesThePreviousFile) {
  WriteFile("TALLIVO.INI", "ZERO=TRUE\n");
  // The temporary file cannot be created where a directory of that name stands.
  std::filesystem::create_directory(dir_ + "TALLIVO.INI.new");
  EXPECT_FALSE(WriteSettingsFile(SettingsFileName()));
  EXPECT_EQ(ReadFile("TALLIVO.INI"), "ZERO=TRUE\n");
  EXPECT_FALSE(Exists("TALLIVO.INb"));

  EXPECT_FALSE(WriteSettingsFile(dir_ + "missing/TALLIVO.INI"));
  EXPECT_FALSE(Exists("missing"));
}

TEST_F(SettingsTest, LoadingAtStartUp) {
  // No file: every default, the default format list.
  Settings().formatList.clear();
  LoadSettings();
  EXPECT_EQ(SettingsText(), DefaultText(dir_));

  // The file beside the program; SAVE= and LOAD= replace the program directory.
  WriteFile("TALLIVO.INI", "LOAD=/loads/\nNEG=TRUE\n");
  ResetSettings();
  LoadSettings();
  EXPECT_EQ(Settings().loadDirectory, "/loads/");
  EXPECT_EQ(Settings().saveDirectory, dir_);
  EXPECT_TRUE(DefaultOptions().colourNegatives());
}

TEST_F(SettingsTest, AProgramDirectoryThatCannotBeWrittenUsesTheConfigDirectory) {
  // A program directory that does not exist cannot be written: the settings are read from the
  // configuration directory, and nothing is written.
  const std::string config = dir_ + "config/";
  std::filesystem::create_directory(config);
  SetProgramFiles({dir_ + "absent/", "TALLIVO"}, config);
  std::ofstream(config + "TALLIVO.INI") << "ZERO=TRUE\n";
  EXPECT_EQ(SettingsFileToRead(), config + "TALLIVO.INI");
  LoadSettings();
  EXPECT_TRUE(DefaultOptions().zeroSuppressed());
  EXPECT_EQ(SettingsFileToWrite(), "");

  // A writable program directory is used for both.
  SetProgramFiles({dir_, "TALLIVO"}, config);
  EXPECT_EQ(SettingsFileToRead(), dir_ + "TALLIVO.INI");
  EXPECT_EQ(SettingsFileToWrite(), dir_ + "TALLIVO.INI");
}

TEST_F(SettingsTest, ProgramDirectoryAndBaseName) {
  struct Case {
    int line;
    const char* exe;
    const char* home;
    const char* dir;
    const char* base;
  };
  const Case kCases[] = {
      {__LINE__, "/opt/tallivo/bin/tallivo", nullptr, "/opt/tallivo/bin/", "TALLIVO"},
      {__LINE__, "/opt/tallivo/bin/tallivo-cli", "", "/opt/tallivo/bin/", "TALLIVO"},
      {__LINE__, "/opt/x/calc.exe", nullptr, "/opt/x/", "calc"},
      {__LINE__, "/opt/x/my.calc.bin", "/home/me/tv", "/home/me/tv/", "my"},
      {__LINE__, "/opt/x/averylongname.exe", nullptr, "/opt/x/", "TALLIVO"},  // "." beyond 12
      {__LINE__, "/opt/x/.hidden", nullptr, "/opt/x/", "TALLIVO"},
      {__LINE__, "tallivo", nullptr, "./", "TALLIVO"},
      {__LINE__, "tallivo", "/etc/tv/", "/etc/tv/", "TALLIVO"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    const ProgramLocation location = LocateProgram(c.exe, c.home);
    EXPECT_EQ(location.directory, c.dir);
    EXPECT_EQ(location.baseName, c.base);
  }

  SetProgramFiles({"/opt/x/", "calc"}, "");
  EXPECT_EQ(SettingsFileName(), "/opt/x/calc.INI");
  EXPECT_EQ(SettingsBackupName(SettingsFileName()), "/opt/x/calc.INb");
  EXPECT_EQ(UserFunctionFileName(), "/opt/x/calc.USR");
  EXPECT_EQ(MacroLibraryFileName(), "/opt/x/calc.MAC");
  EXPECT_EQ(AutoexecFileName(), "/opt/x/AUTOEXEC.WKS");
}

}  // namespace
