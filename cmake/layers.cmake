# The layers, lowest first: engine (rules, store, dates, text, files,
# settings) -> reports -> host and ui -> plugin. Each layer's targets compile
# against an include root of their own that holds links to their folder and
# the folders below it and nothing else, so an #include that points up a
# layer does not compile. The resource ids (resources/resource.h) are seen
# from reports up: the Cabrillo header's table names the dialog's controls. Tools, tests and benchmarks see the whole tree.
set(TZQ_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)

function(tzq_define_layer layer)
  set(root ${TZQ_LAYER_ROOTS}/${layer})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    if(NOT IS_SYMLINK ${root}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
endfunction()

tzq_define_layer(engine engine)
tzq_define_layer(reports engine reports resources)
tzq_define_layer(host engine host)
tzq_define_layer(ui engine reports host ui resources)
tzq_define_layer(plugin engine reports host ui resources plugin)

# Puts the targets in a layer: they may include what the layer sees.
function(tzq_layer layer)
  foreach(target IN LISTS ARGN)
    target_include_directories(${target} PRIVATE ${TZQ_LAYER_ROOTS}/${layer})
  endforeach()
endfunction()
