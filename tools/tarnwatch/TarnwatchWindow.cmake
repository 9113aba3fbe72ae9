# tarnwatch and its window module, tarnwatch-window.so. The silent modes
# must start fast, so the window (kv_gui with Qt, and kv_update with libcurl
# and GnuTLS, which only the window uses) is a module that the program
# loads with dlopen when a run needs a window or Qt's message boxes.
#
# One copy of every kv library: the program links them whole and exports
# their kv symbols (only those, to keep its dynamic symbol table small);
# the module links only the GUI's and the update's archives and takes
# everything below them from the program. So the process-wide state of the
# lower libraries (the store's share modes, the fault seam) exists once.
set(kv_tarnwatch_dir "${CMAKE_CURRENT_SOURCE_DIR}/tarnwatch")
set(kv_tarnwatch_libraries kv_app kv_log kv_scan kv_registry kv_database kv_pattern kv_resources
                           kv_platform)
set(kv_tarnwatch_exports "${kv_tarnwatch_dir}/exported_symbols.list")

add_executable(tarnwatch "${kv_tarnwatch_dir}/main.cpp" "${kv_tarnwatch_dir}/window_loader.cpp")
# Whole, and linked as usual too for their dependencies (CMake refuses a
# library both whole and not, hence the linker's own flags).
list(TRANSFORM kv_tarnwatch_libraries PREPEND "$<TARGET_FILE:" OUTPUT_VARIABLE kv_archives)
list(TRANSFORM kv_archives APPEND ">")
list(JOIN kv_archives "," kv_archives)
target_link_libraries(tarnwatch PRIVATE ${kv_tarnwatch_libraries})
target_link_options(tarnwatch PRIVATE "LINKER:--whole-archive,${kv_archives},--no-whole-archive")
target_link_options(tarnwatch PRIVATE "LINKER:--dynamic-list=${kv_tarnwatch_exports}")
set_target_properties(tarnwatch PROPERTIES LINK_DEPENDS "${kv_tarnwatch_exports}")
# The package's private library folder (read by the install rules), and
# the way there from the program's folder, which the program looks in.
include(GNUInstallDirs)
set(kv_window_module_install_dir "lib/kestrelvox")
file(RELATIVE_PATH kv_window_module_from_bin "/${CMAKE_INSTALL_BINDIR}"
     "/${kv_window_module_install_dir}")
target_compile_definitions(tarnwatch PRIVATE KV_WINDOW_MODULE_DIR="${kv_window_module_from_bin}")

# The module: built beside tarnwatch, where a build tree's program finds it.
add_library(kv_tarnwatch_window MODULE "${kv_tarnwatch_dir}/window_module.cpp")
set_target_properties(kv_tarnwatch_window PROPERTIES PREFIX "" OUTPUT_NAME tarnwatch-window
  LIBRARY_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
  KV_INSTALL_DIR "${kv_window_module_install_dir}")
target_include_directories(kv_tarnwatch_window PRIVATE "${PROJECT_SOURCE_DIR}")
find_package(CURL REQUIRED)
target_link_libraries(kv_tarnwatch_window PRIVATE "$<TARGET_FILE:kv_gui>" "$<TARGET_FILE:kv_update>"
  Qt6::Widgets Qt6::Network CURL::libcurl PkgConfig::SODIUM)
add_dependencies(kv_tarnwatch_window kv_gui kv_update)
# Their objects end up in a shared object.
set_target_properties(kv_gui kv_update PROPERTIES POSITION_INDEPENDENT_CODE ON)
set_target_properties(kv_tarnwatch_window PROPERTIES
  LINK_DEPENDS "$<TARGET_FILE:kv_gui>;$<TARGET_FILE:kv_update>")
# Whoever needs tarnwatch (the tests, the benchmarks) gets its window too.
add_dependencies(tarnwatch kv_tarnwatch_window)
