# Helpers that keep every folder's CMakeLists short and alike.

# Layers. Sources include project headers by their folder, "router/Probe.h" or "tools/router-sim/Server.h",
# but no target gets the repository root as include path. Each library gets an include root of its own in
# the build tree, ${CMAKE_BINARY_DIR}/include/fwu_<name>, that holds one symbolic link named after its
# folder and pointing at it (include/fwu_router/router -> <source>/router). The root is a PUBLIC include
# directory, so a target sees the folders of the libraries it links and no other: an include from an
# undeclared folder fails to compile. scripts/check-includes holds every folder to the libraries it
# declares itself (the compiler also lets through what a declared library links in turn).

# fwu_include_root(<root> <folder>): makes <root>/<folder> a link to the source folder <folder>.
function(fwu_include_root root folder)
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
endfunction()

# fwu_library(<name> [SOURCES <files>...] [DEPS <targets>...]): the static library fwu_<name> of the
# calling folder, built from <files> or else from every .cpp and .h of the folder but main.cpp (a folder's
# main.cpp is the program built next to its library). DEPS names every library whose headers the folder
# includes (and any others it links); scripts/check-includes reads these lists.
function(fwu_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  endif()
  add_library(fwu_${name} STATIC ${sources})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/include/fwu_${name})
  fwu_include_root(${root} ${folder})
  target_include_directories(fwu_${name} PUBLIC ${root})
  target_link_libraries(fwu_${name} PUBLIC ${ARG_DEPS})
  # A library that names no Qt target is plain C++: no moc pass over it (and none on a build without Qt).
  list(FILTER ARG_DEPS INCLUDE REGEX "^Qt6::")
  if(NOT ARG_DEPS)
    set_target_properties(fwu_${name} PROPERTIES AUTOMOC OFF)
  endif()
endfunction()

# Test programs and their helper libraries include test headers as "tests/unit/router/ScriptedTransport.h";
# tests/CMakeLists.txt puts this root (the tests folder alone) on the include path of everything under it.
set(FWU_TESTS_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include/tests)

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
