#include "params/current_parameters.h"

namespace {
ParameterSet currentParameterSet;
}

ParameterSet& currentParameters() { return currentParameterSet; }
