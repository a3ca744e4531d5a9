// The module's one working parameter set, shared by Start, the dialog, the
// preview and the engine. It lives as long as the module is loaded.
#pragma once

#include "params/parameter_set.h"

ParameterSet& currentParameters();
