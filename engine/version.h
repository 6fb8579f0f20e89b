// The plug-in's own name and version, shared by the report's credit line and
// the DLL's version resource (which includes this file, so keep it to
// preprocessor definitions).
#pragma once

#define TZQ_VERSION_MAJOR 1
#define TZQ_VERSION_MINOR 0
#define TZQ_VERSION_PATCH 0
#define TZQ_VERSION_TEXT "1.0.0"
#define TZQ_PRODUCT_NAME "TZQ contest statistics plug-in"
#define TZQ_CREDIT_LINE "TZQ contest statistics plug-in (Stats.dll) version " TZQ_VERSION_TEXT
