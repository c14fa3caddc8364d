// macros/command_handlers.h — the routines of the macro commands, one per handler named in
// vocabulary.def (declared from that table).
#pragma once

struct MacroCall;

#define MACRO_KEY(name, args, key)
#define MACRO_COMMAND(name, args, handler) void handler(MacroCall& call);
#define MACRO_ALIAS(name, args, main)
#include "macros/vocabulary.def"
#undef MACRO_KEY
#undef MACRO_COMMAND
#undef MACRO_ALIAS
