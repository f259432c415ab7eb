# Helpers that keep every folder's CMakeLists short and alike.

# fwu_library(<name> [DEPS <targets>...]): the static library fwu_<name> built from every .cpp and .h in
# the calling folder. Sources include project headers by their path from the repository root.
function(fwu_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(fwu_${name} STATIC ${sources})
  target_include_directories(fwu_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(fwu_${name} PUBLIC ${ARG_DEPS})
endfunction()

# fwu_add_gtest(<name> SOURCES <files>... [LIBS <targets>...] [LABELS <labels>...]): a GoogleTest program
# whose cases are registered with CTest one by one.
function(fwu_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Labels go on the folder: a list value inside the discovered tests' PROPERTIES would be split apart.
  set_property(DIRECTORY APPEND PROPERTY LABELS unit ${ARG_LABELS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# fwu_add_qtest(<name> SOURCES <files>... [LIBS <targets>...]): a QtTest program run offscreen.
function(fwu_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS gui ENVIRONMENT
                       "QT_QPA_PLATFORM=offscreen;FWU_RENDER_DIR=${CMAKE_BINARY_DIR}/renderings")
endfunction()
