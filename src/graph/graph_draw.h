// graph/graph_draw.h — draws a graph definition of the current worksheet on a painter.
//
// One routine serves the graph window, bitmaps (QImage) and the printer: the caller hands in the
// painter and the rectangle to fill. Cell values are read from the current sheet on every call;
// nothing is cached between paints. The arithmetic lives in graph_geometry.h.
// State: GraphDrawState (graph_draw.cpp): the 3-D view angle shared by all graphs and the plot
// frame of the last drawing of a top-level graph. Reads: the current sheet's cells and graph
// definitions; never changes them, nor the core's error flag.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <string_view>

class QPainter;

// Draws the current graph definition (`namedIndex` −1) or the named graph `namedIndex`
// (1..count) into `area` of `painter`. `scale` multiplies font sizes, line widths and the 3-D
// depth (1 on the screen; a printer passes its resolution ÷ the screen's). A definition without
// an X range or without any series, or a named index that does not exist, draws
// "Graph Undefined!" centred and gives false. The current definition and the core's error flag
// are the same afterwards as before, on every path.
bool DrawGraph(QPainter& painter, const QRect& area, int namedIndex = -1, double scale = 1.0);

// The 3-D view angle in radians (0 at start); Shift+A in the graph window turns it by π/16.
double GraphViewAngle();
void SetGraphViewAngle(double radians);

// Where the last DrawGraph put its plot and the axis limits it used, for mouse zooming. `valid`
// is false for an undefined graph and for types without axes.
struct GraphPlotFrame {
  bool valid = false;
  QRectF plot;
  double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
  bool logX = false, logY = false;
  bool numericX = false;
};
GraphPlotFrame LastGraphPlotFrame();
// The axis values under the pixel position (px, py) of the last frame.
void GraphValuesAt(const GraphPlotFrame& frame, double px, double py, double* x, double* y);

// What a click in the graph window selects: an element of the last DrawGraph of a graph (not of
// its overlays), such as "Main Heading", "Y-Axis", "Plot Area", "Series 2", "Slice 3",
// "Legend 1" or "Data Label 2", and the settings page (a "&Graph" menu tag) of its attributes.
struct GraphElement {
  QString name;
  int settingsTag = 0;
};
// The element under the pixel position `at` of the last drawing, the one drawn last where
// several overlap; false when there is none there.
bool GraphElementAt(QPointF at, GraphElement* element);

// The typeface that draws a stored face name ("ARIAL" is drawn in Liberation Sans).
QString GraphFontFamily(std::string_view storedFace);

// Resets the module state (view angle 0, no frame). Used by start-up and tests.
void ResetGraphDrawing();
