// How a runner build starts Qt for a run. Two builds share the runner's
// code: `mcbrun` itself, on the core services alone, and `mcbrun-devices`
// beside it, with the graphics device and the device extensions. The first
// hands a run that may need them over to the second before the application
// runs any code; each build supplies its own RunnerServicesBase.h and
// RunnerStart.cpp.
#pragma once

#include "RunnerServicesBase.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

class VirtualMachine;

namespace Lumbra {

// Qt on the platform that QT_QPA_PLATFORM names (other than offscreen),
// started before the image is read.
std::unique_ptr<QCoreApplication> startQtOnNamedPlatform(int& argc, char** argv);
// Qt for the loaded image, before its code runs.
std::unique_ptr<QCoreApplication> startQtForImage(const VirtualMachine& machine, int& argc, char** argv);
// Has `handler` run whenever an extension's work may have ended.
void watchExtensionWork(RunnerServicesBase& services, std::function<void()> handler);

} // namespace Lumbra
