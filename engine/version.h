// The plug-in's name and its one version number. Everything that shows a
// version takes it from here: the report's credit line, the DLL's version
// resource (which includes this file, so keep it to preprocessor
// definitions), every tool's --version, and the build, which reads the three
// numbers below to name the release package. Change only these three lines.
#pragma once

#define TZQ_VERSION_MAJOR 1
#define TZQ_VERSION_MINOR 0
#define TZQ_VERSION_PATCH 0

#define TZQ_STRINGIFY_(x) #x
#define TZQ_STRINGIFY(x) TZQ_STRINGIFY_(x)
// Adjacent literals: the compilers and windres both join them into one text.
#define TZQ_VERSION_TEXT           \
  TZQ_STRINGIFY(TZQ_VERSION_MAJOR) \
  "." TZQ_STRINGIFY(TZQ_VERSION_MINOR) "." TZQ_STRINGIFY(TZQ_VERSION_PATCH)
#define TZQ_PRODUCT_NAME "TZQ contest statistics plug-in"
#define TZQ_CREDIT_LINE TZQ_PRODUCT_NAME " (Stats.dll) version " TZQ_VERSION_TEXT
