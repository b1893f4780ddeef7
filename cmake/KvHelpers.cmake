# kv_sources(<var> <dir>): the C++ sources of a subsystem folder. Folders are globbed
# so that adding a unit does not mean editing the build.
function(kv_sources var dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  set(${var} ${_srcs} PARENT_SCOPE)
endfunction()

# kv_test(<name> SOURCES_DIR <dir> LIBS <libs...>): one GoogleTest executable per
# subsystem; each test case becomes a CTest test. Widget tests run offscreen.
function(kv_test name)
  cmake_parse_arguments(T "" "SOURCES_DIR" "LIBS" ${ARGN})
  kv_sources(_srcs ${T_SOURCES_DIR})
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    KV_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KV_BIN_DIR=${CMAKE_BINARY_DIR}/bin" TIMEOUT 120)
endfunction()
