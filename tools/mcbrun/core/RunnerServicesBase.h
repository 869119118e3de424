// The plain runner stands on the core services: Qt's core library alone.
#pragma once

#include "CoreFrameworkServices.h"

using RunnerServicesBase = CoreFrameworkServices;
