# What the shipped Windows binaries must not carry, so that the same commit
# built anywhere gives the same bytes (and SHA256SUMS.txt means something):
# the link time in the PE headers, and the folders the build ran in, which
# the debug information would otherwise record (source paths, the compile
# folder). The build folder is mapped after the source folder because it
# usually lies inside it and the more specific mapping must win.
#
# The native builds keep their real paths: debuggers and sanitizer reports
# there should find the sources without help.
if(WIN32)
  add_compile_options(
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=/tzq
    -ffile-prefix-map=${PROJECT_BINARY_DIR}=/tzq-build)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
