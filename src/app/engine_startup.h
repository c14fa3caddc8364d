// app/engine_startup.h — brings the engine up the same way in both programs.
#pragma once

// Sizes the cell pool and connects the engine's layers to each other (range names to range
// parsing, the formula engine to cell entry and Undo). Call once before the first worksheet.
void StartEngine();
