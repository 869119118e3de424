// The runner that may draw and reach devices stands on the full services.
#pragma once

#include "BasicFrameworkServices.h"

using RunnerServicesBase = BasicFrameworkServices;
