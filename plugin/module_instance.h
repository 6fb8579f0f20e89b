// The one StatsModule of the loaded library. Defined by the build's
// composition root (plugin_main_*.cpp), which creates it at load with the
// platform's implementations and destroys it at unload; null outside that
// span. Any thread may ask for it; only the exported functions call into it.
#pragma once

class StatsModule;
StatsModule* TheModule();
