// macros/graph_commands.cpp — the GRAPH... macro commands.
//
// Each command reads its arguments (numbers, texts evaluated as formulas, ranges; "NUL" clears a
// text or range) and hands them to the checked graph edits (core/graph_edits.h); an argument the
// edit refuses is a syntax error. Each edit runs as a command (undoable, marks the sheet
// modified).
// Reads and writes: the current sheet's graph definitions.
#include <functional>
#include <optional>
#include <string>

#include "core/graph_definition.h"
#include "core/graph_edits.h"
#include "core/text_case.h"
#include "formula/compiler.h"
#include "macros/command_handlers.h"
#include "macros/interpreter_internal.h"
#include "macros/sheet_changes.h"
#include "platform/platform.h"

namespace {

// A text argument: "NUL" is the empty text.
bool TextOrNul(MacroCall& call, size_t i, std::string* out) {
  if (SameTextIgnoringCase(call.Arg(i), "NUL")) {
    out->clear();
    return true;
  }
  return call.Text(i, out);
}

// Applies an edit whose arguments were read; a refused edit is a syntax error.
void Apply(MacroCall& call, const std::function<bool()>& edit) {
  if (call.failed) return;
  if (!MacroEditGraph(edit)) call.SyntaxError();
}

}  // namespace

void DoGraphType(MacroCall& call) {
  const int type = call.Integer(0);
  Apply(call, [&] { return EditGraphType(type); });
}

void DoGraphSeries(MacroCall& call) {
  const int series = call.Integer(0);
  CellRange r;
  if (!call.Range(1, &r)) return;
  Apply(call, [&] { return EditGraphSeries(series, r); });
}

void DoGraphLabel(MacroCall& call) {
  const int series = call.Integer(0);
  CellRange r;
  if (!call.Range(1, &r)) return;
  const int place = call.Integer(2);
  Apply(call, [&] { return EditGraphLabel(series, r, place); });
}

void DoGraphLegend(MacroCall& call) {
  const int series = call.Integer(0);
  std::string text;
  if (!TextOrNul(call, 1, &text)) return;
  std::optional<int> kind;
  if (call.Count() > 2) kind = call.Integer(2);
  Apply(call, [&] { return EditGraphLegend(series, text, kind); });
}

void DoGraphHeading(MacroCall& call) {
  const int heading = call.Integer(0);
  std::string text;
  if (!TextOrNul(call, 1, &text)) return;
  Apply(call, [&] { return EditGraphHeading(heading, text); });
}

void DoGraphScale(MacroCall& call) {
  const int axis = call.Integer(0);
  std::optional<double> lower;
  std::optional<double> upper;
  if (call.Count() > 1) {
    if (call.Count() < 3) {
      call.SyntaxError();
      return;
    }
    lower = call.Value(1);
    upper = call.Value(2);
  }
  Apply(call, [&] { return EditGraphScale(axis, lower, upper); });
}

void DoGraphOptions(MacroCall& call) {
  std::string items;
  if (!TextOrNul(call, 0, &items)) return;
  Apply(call, [&] { return EditGraphOptions(items, ArgumentSeparator()); });
}

void DoGraphFont(MacroCall& call) {
  const int kind = call.Integer(0);
  const int size = call.Integer(1);
  std::optional<std::string> face;
  if (call.Count() > 2) {
    std::string text;
    if (!call.Text(2, &text)) return;
    face = text;
  }
  const std::optional<std::string_view> faceText =
      face ? std::optional<std::string_view>(*face) : std::nullopt;
  Apply(call, [&] { return EditGraphFont(kind, size, faceText); });
}

void DoGraphName(MacroCall& call) {
  const int action = call.Integer(0);
  std::string name;
  // Removing all named graphs (3) and resetting the current graph (5) take no name.
  if (action != 3 && action != 5 && !call.Text(1, &name)) return;
  Apply(call, [&] { return EditGraphName(action, name); });
}

void DoGraphView(MacroCall& call) {
  std::string name;
  if (!call.Text(0, &name)) return;
  if (!name.empty() && FindNamedGraph(name) == 0) {
    call.SyntaxError();
    return;
  }
  const int milliseconds = call.Integer(1);
  MacroWait wait = MacroWait::kDone;
  if (ThePlatform().ShowGraph(name, milliseconds, &wait)) {
    MacroAfterPlatformWait(wait, MacroWaitFor::kDelay);
    return;
  }
  // Without a window a timed view has nothing to show and the macro goes on; the form that
  // waits for a key needs a window.
  if (milliseconds > 0) return;
  NeedsWindow(call);
}
