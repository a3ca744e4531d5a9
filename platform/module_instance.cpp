#include "platform/module_instance.h"

namespace {

HINSTANCE instanceOfThisModule = nullptr;

}  // namespace

void setModuleInstance(HINSTANCE instance) { instanceOfThisModule = instance; }

HINSTANCE moduleInstance() { return instanceOfThisModule; }
