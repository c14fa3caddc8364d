// formula/functions_math.h — the mathematical, numerical and statistical @-functions.
//
// `RegisterMathFunctions` installs their routines in the evaluator's dispatch table: elementary
// and rounding functions, factorials, @RAND, the special functions, the list and range
// statistics, @COVAR and @PSUM, @INTG, @RECUR, @X and @XYTERP. The numerics themselves are plain
// functions in formula/special_functions.h.
//
// Besides the routines this module keeps the variable that @X reads: @INTG and @RECUR set it for
// each evaluation of their formula text, and the database functions set it to the value of each
// cell they test. It also owns the generator of @RAND.
// State: @X, the nesting count of @INTG/@RECUR and the random generator (functions_math.cpp).
#pragma once

#include <cstdint>

// Installs the routine of every function of this module (idempotent) and seeds @RAND's
// generator from the system's entropy source.
void RegisterMathFunctions();
// Installs the list and range statistics (statistics.cpp); RegisterMathFunctions calls it.
void RegisterStatisticsFunctions();

// Sets @X back to 0 and forgets any @INTG/@RECUR in progress (start-up and tests). Registered
// routines and the generator stay.
void ResetMathFunctionState();

// The value @X gives, and its setter for the callers that evaluate formula text with a variable
// (@INTG, @RECUR, the criteria of the database functions).
double FormulaVariableX();
void SetFormulaVariableX(double value);

// Reseeds @RAND's generator (tests use a fixed seed to get a repeatable sequence).
void SeedRandomGenerator(uint64_t seed);
