// app/cli_main.cpp — tallivo-cli, the batch face of the engine.
//
// Works on one worksheet: runs the actions of the command line in order, then exits. Engine
// messages go to standard error as "Error: TEXT"; a bad action or argument exits with status 2.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: tallivo-cli [FILE] [ACTION ...]\n"
    "\n"
    "Runs the actions on one worksheet in the order given, then exits.\n"
    "\n"
    "  --version        print the version and exit\n"
    "  -h, --help       print this help and exit\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--version") {
      std::printf("tallivo-cli %s\n", TALLIVO_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::fprintf(stderr, "tallivo-cli: unknown action '%s'\n\n%s", arg.c_str(), kUsage);
    return 2;
  }
  return 0;
}
