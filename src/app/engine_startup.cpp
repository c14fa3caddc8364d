// app/engine_startup.cpp — start-up of the engine shared by tallivo and tallivo-cli.
#include "app/engine_startup.h"

#include "core/names.h"
#include "core/pool.h"

void StartEngine() {
  PoolReset();
  InstallNameLookup();
}
