// app/engine_startup.h — brings the engine up the same way in both programs.
#pragma once

// Sizes the cell pool and connects the engine's layers to each other (range names to range
// parsing, the formula engine to cell entry and Undo). Call once before the first worksheet.
void StartEngine();
// Finds the program directory and base name (the executable's, or TALLIVO_HOME), then reads the
// settings file and the user function file. Call after StartEngine, before the first worksheet.
// Nothing is ever written here.
void LoadProgramFiles(const char* argv0);
