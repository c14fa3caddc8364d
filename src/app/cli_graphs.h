// app/cli_graphs.h — graph images of tallivo-cli (--save-graph), drawn with the graph module.
//
// Only built with the Qt part of the project; the tool creates its QGuiApplication on the first
// drawing action and never for the others. State: the tool's QGuiApplication.
#pragma once

#include <string>

enum class GraphImageResult {
  kSaved,      // the graph was drawn and written
  kUndefined,  // "Graph Undefined!" was drawn and written
  kUnwritable  // the file could not be written
};

// The image format of a file name by its extension in any case: "BMP", "PNG", or nullptr.
const char* GraphImageFormat(const std::string& fileName);

// Draws the current graph (`namedIndex` −1) or named graph `namedIndex` into a `width` × `height`
// image, the 3-D view turned `turns` times by π/16 (as Shift+A in the graph window), and writes
// it to `fileName` in `format`; an existing file is replaced only by a complete new one.
GraphImageResult SaveGraphImage(const std::string& fileName, const char* format, int namedIndex,
                                int width, int height, int turns = 0);

// A print job of named graph `namedIndex` for --printer: the graph on one landscape US Letter
// page of a PDF `fileName`, replacing it only with a complete new file. An undefined graph's
// page reads "Graph Undefined!".
GraphImageResult PrintGraphToPdfFile(const std::string& fileName, int namedIndex);
