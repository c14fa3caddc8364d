// ui/main_window.h — MainWindow, the main window of the desktop program and its command centre.
//
// A QMainWindow whose client area is the multiple-document area holding the worksheet windows
// (WorksheetWindow). The window owns the menu bar, the quick-button row, the macro button bar,
// the entry row (mode indicator, address and progress gauge, the entry line `entryLine_`, the
// range prompt `rangePrompt_`), the formatting bar, the status panels, the file history, and
// start-up and shut-down. Every command runs on the worksheet of the active window through one
// helper, and the enabled state of every item is recomputed in one place (UpdateMenuState).
// The members are defined in main_window.cpp (construction, menus, windows, commands, keys),
// entry_line.cpp, format_bar.cpp, status_panels.cpp and file_actions.cpp.
// State: per window (widgets, the entry in progress, the pointing state, the prompt); the program
// settings (files/settings.h) it reads and updates; the installed Qt platform.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <vector>

#include "commands/commands.h"
#include "core/address.h"
#include "core/worksheets.h"
#include "ui/merge_dialog.h"
#include "ui/transfer_dialog.h"

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class QTextBrowser;
class QTimer;
class WorksheetWindow;
class FunctionListDialog;
class CopySpecialDialog;
class DataDialog;
class DataFormWindow;
class MatrixDialog;
class FindReplaceDialog;
class JustifyDialog;
class WordDialog;
class GeneralSettingsDialog;
class PropertiesDialog;
class WidthHeightDialog;
class DocumentInfoDialog;
class TipDialog;
class SystemMetricsDialog;
class RangeNameDialog;
class GraphSettingsDialog;
class GraphWindow;
class AuditDialog;
class MacroPlayer;
class GridPane;
class RangePrompt;
struct CellRecord;

// Every command reachable from a menu item or a button (the table is ui/commands.def).
enum class Cmd : uint8_t {
#define COMMAND(Id, needsSheet, built) k##Id,
#include "ui/commands.def"
  kCount
};

// Whether a command-line argument is an option ("/RA") rather than a file name.
bool IsCommandLineOption(const QString& argument);

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  QMdiArea* clientArea() const { return clientArea_; }
  MacroPlayer* macroPlayer() const { return macroPlayer_; }
  // The prompt "MACRO: Specify Cell" and the run of the macro chosen there; `step` turns single-step
  // mode on first (Shift+F3, "&Macro Step").
  void MacroPrompt(bool step);

  // Start-up after the frame is built (StartEngine has read the settings and user function
  // files): the bars and history from the settings, the command line
  // (a first argument not starting with "/" names the worksheet to open instead of the autoexec
  // worksheet). The autoexec worksheet is opened by ShowStartupSheet.
  void Startup(const QStringList& arguments);
  // First showing: the saved window placement, then the autoexec worksheet (or a new sheet when
  // "Pre&Open Sheet" is on and nothing was opened).
  void ShowStartupSheet();

  // --- file commands (the engine calls behind the dialogs) ---
  // A new never-saved sheet "SHEET" + (child windows + 1) + ".WKS". Gives its window.
  WorksheetWindow* NewSheet();
  // Opens a worksheet file: "Invalid WKS File!" when missing; an open one comes forward with a
  // beep; otherwise the history, a new window, the load. Gives the window, or null.
  WorksheetWindow* OpenByName(const QString& name);
  // Saves the active sheet / the sheet of `sheetWindow` under its name (Save As for a never-saved
  // or read-only sheet). Gives false when nothing was written.
  bool SaveActive();
  bool SaveWindow(WorksheetWindow* sheetWindow);
  // Saves the sheet of `sheetWindow` under `name` (completed with ".wks" when it has no "."), which
  // becomes its name; the history gets the name. Gives false when writing failed.
  bool SaveSheetAs(WorksheetWindow* sheetWindow, const QString& name);
  // Dropped files: each opens by name, in the order given, each once.
  void OpenDroppedFiles(const QList<QUrl>& urls);
  // Closes every worksheet window, last first; false when one refused.
  bool CloseAll();
  // File > Import, Export and Merge (transfer_actions.cpp): the file dialogs (created on first
  // use, reused, so that each keeps the kind chosen last), then the transfer or merge dialog.
  QFileDialog* importFileDialog();
  QFileDialog* exportFileDialog();
  QFileDialog* mergeFileDialog();
  TransferDialog* transferDialog();
  MergeDialog* mergeDialog();
  // The title the progress gauge shows before its percentage ("" for none).
  void SetProgressTitle(const QString& title);
  QString progressTitle() const { return progressTitle_; }

  // --- state read by tests and by the windows ---
  WorksheetWindow* activeSheetWindow() const;
  QString mode() const;
  QLineEdit* entryLine() const { return entryLine_; }
  RangePrompt* rangePrompt() const { return rangePrompt_; }
  FunctionListDialog* functionList() const;
  // The Range menu's copy dialog (created on first use).
  CopySpecialDialog* copySpecialDialog();
  // The Data dialog, the Find & Replace dialog, the justify and the Word dialogs (each created
  // on first use).
  DataDialog* dataDialog();
  // The Array menu's dialog and the record form window (each created on first use).
  MatrixDialog* matrixDialog();
  DataFormWindow* dataFormWindow();
  FindReplaceDialog* findReplaceDialog();
  JustifyDialog* justifyDialog();
  WordDialog* wordDialog();
  // The general settings, cell properties and width/height dialogs (each created on first use).
  GeneralSettingsDialog* generalSettingsDialog();
  PropertiesDialog* propertiesDialog();
  WidthHeightDialog* widthHeightDialog();
  // The document information, tip, System Metrics and range-name dialogs (info_actions.cpp).
  DocumentInfoDialog* documentInfoDialog();
  TipDialog* tipDialog();
  SystemMetricsDialog* systemMetricsDialog();
  RangeNameDialog* rangeNameDialog();
  // The graph settings dialog (created on first use), or null before.
  GraphSettingsDialog* graphSettings() const { return graphSettings_; }
  // The graph window (created with the frame, hidden until shown).
  GraphWindow* graphWindow() const { return graphWindow_; }
  // Shows the active worksheet's graph (`namedIndex` −1 the current one) in the graph window,
  // normal or maximised; `milliseconds` above 0 closes it after that time.
  void ShowGraphWindow(bool maximised, int namedIndex = -1, int milliseconds = 0);
  // The audit window (created on first use), or null before.
  AuditDialog* auditDialog() const { return auditDialog_; }
  QAction* action(Cmd cmd, int tag = -1) const;
  QToolButton* button(const char* objectName) const;
  QStringList historyCaptions() const;
  QString recalcIndicator() const;
  bool entryActive() const { return entryActive_; }
  // Whether the sheet of `sheetWindow` has never been saved / was opened read-only (the flags of
  // its worksheet entry).
  bool neverSaved(const WorksheetWindow* sheetWindow) const;
  bool readOnly(const WorksheetWindow* sheetWindow) const;

  // --- the entry line ---
  // A character typed in a pane starts an entry (or continues the one in progress).
  void StartEntry(const QString& text);
  // F2: edit the current cell's content ("EDIT").
  void EditCell();
  // Commits the entry to the cell; `rowStep`/`columnStep` move the cursor afterwards.
  void CommitEntry(int rowStep = 0, int columnStep = 0);
  // Esc: drops the entry and shows the cell's content again.
  void CancelEntry();
  // F4: cycles the absolute markers of the reference at the end of the entry.
  void CycleReference();
  // F9 in the entry line: a formula being typed becomes its value.
  void EntryToValue();
  // F1 after "@" / "{": the function list in its Functions or Macros mode.
  bool OpenFunctionList(bool macros);

  // --- the range prompt ---
  // `start` (when given) is the prompt's first range instead of the selection.
  void OpenPrompt(const QString& caption, std::function<void(const CellRange&)> action,
                  bool offerNames = false, const CellRange* start = nullptr);
  void GotoPrompt();
  // Recomputes the enabled state of every menu item and button.
  void UpdateMenuState();
  // The zoom of every worksheet window in percent ("&Zoom" items, VIEWZOOM); kept for the
  // settings file.
  void SetZoom(int percent);
  // Runs a menu or button command (tag: the item's tag).
  void Run(Cmd cmd, int tag = 0);

  // Starts the macro whose first line is `cell` of worksheet `sheet` by the frame's timer, at its
  // first tick 26 ms or more after the request (macro buttons); a later request replaces one
  // still pending. The commands of the macro act on the sheet active then.
  void StartMacroSoon(SlotIndex sheet, CellAddress cell);
  static constexpr int kMacroStartDelayMs = 26;

  // The call point for running the macro at a cell (the macro interpreter installs it). Unset:
  // "AUTOEXEC" ranges and macro buttons do nothing.
  static std::function<void(const CellRange&)> RunMacroAt;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kMaxChildWindows = 255;

  struct ActionInfo {
    QAction* action;
    Cmd cmd;
    int tag;
  };
  QAction* Item(QMenu* menu, const QString& caption, const QString& hint, Cmd cmd, int tag = 0);
  QToolButton* QuickButton(const char* name, const QString& glyph, const QString& hint, Cmd cmd,
                           int tag = 0);
  void BuildMenus();
  // The file history's entries at the end of `menu`.
  void AddHistoryItems(QMenu* menu);
  void BuildQuickBar();
  // The macro button bar (macro_bar.cpp): its 13 buttons; the macro library opened and its first
  // names put on the buttons; a button's macro started; the library's AUTOEXEC run.
  void BuildMacroBar();
  void LoadMacroLibrary();
  void RunMacroButton(int index);
  // A macro button placed on `sheet` was clicked: its macro (a range name of the sheet or the
  // library, else a range text of the sheet) starts by the timer.
  void RunSheetButton(SlotIndex sheet, const std::string& macro);
  void RunLibraryAutoexec();
  // A window on the macro library's entry (opened by name while no window showed it).
  WorksheetWindow* ShowMacroLibrary(const std::string& fileName);
  void BuildEntryRow();
  void BuildFormatBar();
  // Fills the speed format box from the settings' format list.
  void FillFormatBox();
  void BuildStatusPanels();
  void FillHistory();
  void ApplyBarSettings();
  void ConnectWindow(WorksheetWindow* sheetWindow);
  WorksheetWindow* AdoptWindow(WorksheetWindow* sheetWindow);
  void WindowActivated(WorksheetWindow* sheetWindow);
  void SelectionChanged();
  void NoSheetState();
  void SetMode(const QString& mode);
  void ShowIndicators();
  void ShowAddress();
  void ShowCellInEntryLine();
  bool CommandBuilt(Cmd cmd) const;
  bool CommandNeedsSheet(Cmd cmd) const;
  // The one way the desktop runs a command: the active window's sheet made current, the command
  // of the commands layer run on its selection (protection, Undo, recalculation and the modified
  // flag are the command's), then every view of the sheet refreshed.
  CommandResult RunOnSelection(const std::function<CommandResult(const CellRange&)>& command);
  void RepaintAll();
  // What shows the sheet after a command: every pane laid out and painted again, the entry line
  // (unless an entry is being typed), the address, the indicators, the lock button, the
  // formatting bar and the enabled state. The one refresh every command ends with.
  void RefreshSheetViews();
  void Uplink();
  void OpenDialog();
  // The transfer dialog for `fileName` of `kind`; the merge dialog for `fileName` with the
  // file's range names (values, or formulas when `formulas`).
  void OpenTransfer(TransferKind kind, const QString& fileName);
  void OpenMerge(const QString& fileName, bool formulas);
  // Runs what the transfer or merge dialog ended with on the active sheet.
  void RunTransfer(const TransferDialog::Request& request);
  void RunMerge(const MergeDialog::Request& request);
  bool SaveAsDialog(WorksheetWindow* sheetWindow);
  // The folder Save As opens in: the folder of the sheet's file; for a never-saved sheet the
  // last folder a worksheet was opened from or saved to (this session, else the settings' save
  // folder); the current directory when none of them exists.
  QString SaveAsFolder(const WorksheetWindow* sheetWindow) const;
  void ToggleProtection();
  // Copy, move, erase, insert and delete (block_actions.cpp): the command `cmd` with `tag`; the
  // two prompts of Copy or Move; the move-block buttons (one row up or down).
  void RunBlockCommand(Cmd cmd, int tag);
  void CopyMovePrompts(bool move);
  void MoveBlock(bool down);
  // Sort, fill, find and replace, justify, Word and the label buttons (data_actions.cpp).
  void RunDataCommand(Cmd cmd, int tag);
  // The Array menu's dialog, the prompt commands Bin, Table One and Table Two, and the record
  // form on `range` of the active sheet (analysis_actions.cpp).
  void RunAnalysisCommand(Cmd cmd, int tag);
  void BinPrompts();
  void TablePrompts(bool twoInputs);
  void OpenDataForm(const CellRange& range);
  // Sheet > General, Colwidth, Rowheight, the Range format items and the pop-up's Properties
  // (settings_actions.cpp): the dialog of `cmd` on the page of `tag`.
  void RunSettingsCommand(Cmd cmd, int tag);
  // Lets a dialog ask for a range on the range prompt; the dialog comes back when the prompt
  // closes, accepted or not.
  void PointFromDialog(const QString& caption, const CellRange& start,
                       std::function<void(const CellRange&)> done, std::function<void()> closed);
  // "&Graph" menu: the graph settings dialog on the page of `tag`; "&Clear..." after asking.
  void OpenGraphSettings(int tag);
  void ClearGraphSettings();
  // Sheet > Audit: the audit window on the active worksheet, its tree at the cursor.
  void OpenAudit();
  void ToggleRecalc();
  void ShowHelp();
  void ShowAbout();
  // File > Doc Info, File > Get Info, Range > Name on the page of `tag`, Help > Tips
  // (info_actions.cpp).
  void OpenDocumentInfo();
  void OpenSystemMetrics();
  void OpenRangeNames(int tag);
  void ShowTip();
  void EntryKeyDown(QKeyEvent* event, bool* consumed);
  bool CanPoint() const;
  void PointMove(int rowStep, int columnStep, bool extend);
  void UpdatePointText();
  void EndPointing();
  void PromptEscape();
  void PromptClosed();
  void FunctionChosen(const QString& text);

  QMdiArea* clientArea_;
  QToolBar* quickBar_ = nullptr;
  QToolBar* macroBar_ = nullptr;
  struct PendingMacroStart {
    SlotIndex sheet = 0;
    CellAddress cell;
  };
  QTimer* macroStartTimer_ = nullptr;
  PendingMacroStart pendingMacroStart_;
  bool libraryAutoexecPending_ = false;  // waits for the macro running at start to end
  MacroPlayer* macroPlayer_ = nullptr;
  QToolBar* formatBar_ = nullptr;
  QWidget* entryPanel_ = nullptr;
  QLabel* modeIndicator_ = nullptr;
  QLabel* addressIndicator_ = nullptr;
  QProgressBar* progressGauge_ = nullptr;
  QLineEdit* entryLine_ = nullptr;
  RangePrompt* rangePrompt_ = nullptr;
  QPushButton* enterButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QToolButton* boldButton_ = nullptr;
  QToolButton* italicButton_ = nullptr;
  QToolButton* underlineButton_ = nullptr;
  QComboBox* fontBox_ = nullptr;
  QComboBox* sizeBox_ = nullptr;
  QComboBox* formatBox_ = nullptr;
  QComboBox* backgroundBox_ = nullptr;
  QComboBox* foregroundBox_ = nullptr;
  QLabel* insertIndicator_ = nullptr;
  QLabel* endIndicator_ = nullptr;
  QLabel* numLockIndicator_ = nullptr;
  QLabel* scrollLockIndicator_ = nullptr;
  QLabel* capsLockIndicator_ = nullptr;
  QLabel* recalcIndicator_ = nullptr;
  QMenu* historyMenu_ = nullptr;
  QMenu* moreMenu_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  QAction* historySeparator_ = nullptr;
  std::vector<QAction*> historyItems_;
  std::vector<ActionInfo> actions_;
  std::vector<std::pair<QToolButton*, Cmd>> buttons_;
  FunctionListDialog* functionList_ = nullptr;
  GraphSettingsDialog* graphSettings_ = nullptr;
  GraphWindow* graphWindow_ = nullptr;
  AuditDialog* auditDialog_ = nullptr;
  CopySpecialDialog* copySpecialDialog_ = nullptr;
  DataDialog* dataDialog_ = nullptr;
  MatrixDialog* matrixDialog_ = nullptr;
  DataFormWindow* dataFormWindow_ = nullptr;
  FindReplaceDialog* findReplaceDialog_ = nullptr;
  JustifyDialog* justifyDialog_ = nullptr;
  WordDialog* wordDialog_ = nullptr;
  GeneralSettingsDialog* generalSettingsDialog_ = nullptr;
  PropertiesDialog* propertiesDialog_ = nullptr;
  WidthHeightDialog* widthHeightDialog_ = nullptr;
  DocumentInfoDialog* documentInfoDialog_ = nullptr;
  TipDialog* tipDialog_ = nullptr;
  SystemMetricsDialog* systemMetricsDialog_ = nullptr;
  RangeNameDialog* rangeNameDialog_ = nullptr;
  QFileDialog* importFileDialog_ = nullptr;
  QFileDialog* exportFileDialog_ = nullptr;
  QFileDialog* mergeFileDialog_ = nullptr;
  TransferDialog* transferDialog_ = nullptr;
  MergeDialog* mergeDialog_ = nullptr;
  QString progressTitle_;
  QTextBrowser* help_ = nullptr;

  // The entry in progress.
  bool entryActive_ = false;
  bool editMode_ = false;  // F2: only Up and Down commit
  int entryRow_ = 0;
  int entryColumn_ = 0;
  WorksheetWindow* entryWindow_ = nullptr;
  // Pointing: the text before the pointed reference, the anchor of a pointed range.
  bool pointing_ = false;
  int pointBase_ = 0;
  bool pointAnchored_ = false;
  bool movingPointer_ = false;
  // Keyboard indicators the frame keeps (Insert, Num Lock, Scroll Lock, Caps Lock).
  bool insertOn_ = false, numOn_ = true, scrollOn_ = false, capsOn_ = false, endOn_ = false;

  QString lastFolder_;  // the folder of the last worksheet opened or saved under a name
  QString autoexec_;
  bool started_ = false;
  bool shown_ = false;
  bool updatingBars_ = false;
};
