// macros/macro_files.cpp — the text files and directories of the macro file commands.
//
// Files 1..8 are plain `std::FILE` streams: OPEN (1 read, 2 write a new file, 3 append to an
// existing file), APPEND (append, creating the file), READ (one line into a cell through entry),
// WRITE and WRITELN (a value's text, flushed at once), CLOSE. Every operation leaves its result
// for @IORESULT: 0, the system's error number, or -1 for READ at the end of the file. File names
// keep their case. Text goes through the one text codec (files/text_codec.h): lines read as
// UTF-8 when they are valid UTF-8, else as Windows-1252; written as UTF-8.
// State: the open files (MacroState::files); the I/O result (formula/functions_sheet.h).
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "files/text_codec.h"
#include "formula/functions_sheet.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"
#include "macros/sheet_changes.h"

namespace {

// The longest line READ keeps; the rest of a longer line is read and dropped (entry keeps 240).
constexpr size_t kMaxReadLine = 4096;

// The file number argument (1..8); anything else is a syntax error.
bool FileNumber(MacroCall& call, size_t i, int* number) {
  const int n = call.Integer(i);
  if (call.failed || n < 1 || n > kMacroFiles) {
    call.SyntaxError();
    return false;
  }
  *number = n;
  return true;
}

void Close(int n) {
  std::FILE*& f = TheMacroState().files[n];
  if (f) std::fclose(f);
  f = nullptr;
}

void Open(MacroCall& call, int n, int mode, const std::string& name) {
  Close(n);
  std::FILE* f = nullptr;
  switch (mode) {
    case 1: f = std::fopen(name.c_str(), "rb"); break;
    case 2: f = std::fopen(name.c_str(), "wb"); break;
    case 3:
      f = std::fopen(name.c_str(), "r+b");
      if (f && std::fseek(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        f = nullptr;
      }
      break;
    case 4: f = std::fopen(name.c_str(), "ab"); break;
    default: call.SyntaxError(); return;
  }
  SetIoResult(f ? 0 : errno);
  TheMacroState().files[n] = f;
}

void Write(MacroCall& call, bool endLine) {
  int n = 0;
  if (!FileNumber(call, 0, &n)) return;
  const EvalResult r = call.Formula(1);
  std::string text = r.error ? std::string("ERR") : r.isString ? r.text : MacroNumberText(r.number);
  text = EncodeTextLine(text);
  if (endLine) text += '\n';
  std::FILE* f = TheMacroState().files[n];
  if (!f) {
    SetIoResult(EBADF);
    return;
  }
  errno = 0;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
  SetIoResult(ok ? 0 : (errno ? errno : EIO));
}

template <typename Fn>
void DirectoryCommand(MacroCall& call, Fn fn) {
  std::string name;
  if (!call.Text(0, &name)) return;
  SetIoResult(fn(name.c_str()) == 0 ? 0 : errno);
}

}  // namespace

void CloseMacroFiles() {
  for (int n = 1; n <= kMacroFiles; ++n) Close(n);
}

void DoOpen(MacroCall& call) {
  int n = 0;
  std::string name;
  if (!FileNumber(call, 0, &n)) return;
  const int mode = call.Integer(1);
  if (mode < 1 || mode > 3) {
    call.SyntaxError();
    return;
  }
  if (!call.Text(2, &name)) return;
  Open(call, n, mode, name);
}

void DoAppend(MacroCall& call) {
  int n = 0;
  std::string name;
  if (!FileNumber(call, 0, &n) || !call.Text(1, &name)) return;
  Open(call, n, 4, name);
}

void DoClose(MacroCall& call) {
  int n = 0;
  if (!FileNumber(call, 0, &n)) return;
  std::FILE*& f = TheMacroState().files[n];
  if (!f) {
    SetIoResult(EBADF);
    return;
  }
  const int result = std::fclose(f);
  f = nullptr;
  SetIoResult(result == 0 ? 0 : errno);
}

void DoRead(MacroCall& call) {
  int n = 0;
  CellAddress cell;
  if (!FileNumber(call, 0, &n) || !call.Cell(1, &cell)) return;
  std::FILE* f = TheMacroState().files[n];
  if (!f) {
    SetIoResult(EBADF);
    return;
  }
  std::string line;
  bool any = false;
  int c = 0;
  errno = 0;
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxReadLine) line += static_cast<char>(c);
  }
  if (std::ferror(f)) {
    SetIoResult(errno ? errno : EIO);
    std::clearerr(f);
    return;
  }
  if (!any) {
    SetIoResult(-1);
    return;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  SetIoResult(0);
  MacroEnter(cell.row, cell.column, DecodeTextLine(line));
}

void DoWrite(MacroCall& call) { Write(call, false); }
void DoWriteLine(MacroCall& call) { Write(call, true); }

void DoChangeDirectory(MacroCall& call) { DirectoryCommand(call, [](const char* p) { return chdir(p); }); }
void DoMakeDirectory(MacroCall& call) {
  DirectoryCommand(call, [](const char* p) { return mkdir(p, 0777); });
}
// A directory that is not empty is never removed (the second argument is not used).
void DoRemoveDirectory(MacroCall& call) { DirectoryCommand(call, [](const char* p) { return rmdir(p); }); }
void DoFileErase(MacroCall& call) { DirectoryCommand(call, [](const char* p) { return std::remove(p); }); }
