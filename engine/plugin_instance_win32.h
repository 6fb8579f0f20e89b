// The DLL's own module handle, for its resources (dialog templates, icon).
#pragma once

#include <windows.h>

HINSTANCE PluginInstance();
