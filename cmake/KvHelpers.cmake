# kv_sources(<var> <dir>): the C++ sources of a subsystem folder. Folders are globbed
# so that adding a unit does not mean editing the build.
function(kv_sources var dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  set(${var} ${_srcs} PARENT_SCOPE)
endfunction()

# kv_module(<target> EXPORTS <map> SOURCES <files...> [LIBS <libs...>] [LINK_OPTIONS <opts...>]):
# a library a host loads by file name (<target>.so, no "lib" prefix) that exports
# only what the version script <map> lists. --exclude-libs keeps the symbols of the
# archives it links (kv_sdk and friends) from leaking out as well; --no-undefined
# turns a missing symbol into a link error instead of a load-time one.
function(kv_module name)
  cmake_parse_arguments(M "" "EXPORTS" "SOURCES;LIBS;LINK_OPTIONS" ${ARGN})
  if(NOT M_EXPORTS)
    message(FATAL_ERROR "kv_module(${name}): EXPORTS <version script> is required")
  endif()
  get_filename_component(_map ${M_EXPORTS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(_no_undefined -Wl,--no-undefined)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND (KV_SANITIZE OR KV_FUZZ))
    # clang puts the sanitizer runtime into the executable only: a sanitized module
    # refers to it by design.
    set(_no_undefined "")
  endif()
  add_library(${name} MODULE ${M_SOURCES})
  # Libraries shipped beside a module (Pictolib) are found there.
  set_target_properties(${name} PROPERTIES PREFIX "" BUILD_RPATH "\$ORIGIN" INSTALL_RPATH "\$ORIGIN")
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  target_link_options(${name} PRIVATE
    -Wl,--version-script=${_map} -Wl,--exclude-libs,ALL ${_no_undefined} ${M_LINK_OPTIONS})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${_map})
endfunction()

# kv_test(<name> SOURCES_DIR <dir> LIBS <libs...> [APP WIDGETS|CORE|NONE] [EXCLUDE_REGEX <re>]): one
# GoogleTest executable per subsystem; each test case becomes a CTest test. The
# entry point and the shared helpers come from tests/common. APP is the application
# object the run has: a QApplication (the default; widget tests run offscreen), a
# QCoreApplication, or none for code that must work without Qt.
function(kv_test name)
  cmake_parse_arguments(T "" "SOURCES_DIR;APP;EXCLUDE_REGEX" "LIBS" ${ARGN})
  if(NOT T_APP)
    set(T_APP WIDGETS)
  endif()
  if(NOT T_APP MATCHES "^(WIDGETS|CORE|NONE)$")
    message(FATAL_ERROR "kv_test(${name}): APP must be WIDGETS, CORE or NONE, not '${T_APP}'")
  endif()
  string(TOLOWER ${T_APP} _app)
  kv_sources(_srcs ${T_SOURCES_DIR})
  if(T_EXCLUDE_REGEX)
    list(FILTER _srcs EXCLUDE REGEX "${T_EXCLUDE_REGEX}")
  endif()
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kv_test_main_${_app})
  target_compile_definitions(${name} PRIVATE
    KV_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KV_BIN_DIR=${CMAKE_BINARY_DIR}/bin" TIMEOUT 120)
endfunction()
