#include "host/module_state.h"

namespace ruckvale {

constinit ModuleState g_module;

}  // namespace ruckvale
