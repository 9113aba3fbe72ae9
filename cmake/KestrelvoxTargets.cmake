# kv_add_library(NAME DIR DEPS...): a static library from every .cpp in DIR.
# Sources are picked up by directory so that adding a file to a subsystem
# needs no edit here. DEPS are the libraries of the lower layers whose
# headers this one includes; they are linked PUBLIC, so the list is the
# layer's real dependencies and a user of NAME gets them too. Headers are
# included by their path from the project root; which layer may include
# which is checked by scripts/check-layers.sh.
function(kv_add_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
