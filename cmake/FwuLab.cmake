# Lab tests: programs that run inside the network lab (scripts/lab) against the simulated router.
#
# fwu_add_lab_test(<name>
#     [SOURCES <files>...] [LIBS <targets>...] [GTEST]  builds the program <name>, linked with fwu_labsupport;
#                                                       GTEST adds GoogleTest and a main() that refuses to run
#                                                       outside the lab
#     [COMMAND <program> [<args>...]]                   what runs inside "pc" (default: the program <name>)
#     [SHAPE <shape>]                                   one-router (default) or two-gateways
#     [SIM <router-sim options>...]                     the lab starts router-sim with these options; without
#                                                       SIM the lab starts none (--no-sim) and the test starts
#                                                       its own through RouterSim
#     [TIMEOUT <seconds>]                               default 120
#     [ENVIRONMENT <VAR=value>...])                     added to QT_QPA_PLATFORM=offscreen
#
# The test is registered as `scripts/lab --router-sim <router-sim> [--shape ..] --no-sim|--sim .. -- -- <command>`
# with LABELS lab, RUN_SERIAL, and SKIP_RETURN_CODE 77 (the lab's answer without root or iproute2).
function(fwu_add_lab_test name)
  cmake_parse_arguments(ARG "GTEST" "SHAPE;TIMEOUT" "SOURCES;LIBS;COMMAND;SIM;ENVIRONMENT" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
    if(ARG_GTEST)
      list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/lab/LabGTestMain.cpp)
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE fwu_labsupport ${ARG_LIBS})
    if(ARG_GTEST)
      target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock)
    endif()
    add_dependencies(${name} router-sim)
  endif()
  if(NOT ARG_COMMAND)
    set(ARG_COMMAND $<TARGET_FILE:${name}>)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(lab_args --router-sim $<TARGET_FILE:router-sim>)
  if(ARG_SHAPE)
    list(APPEND lab_args --shape ${ARG_SHAPE})
  endif()
  if(ARG_SIM)
    list(APPEND lab_args --sim ${ARG_SIM} --)
  else()
    list(APPEND lab_args --no-sim)
  endif()
  set(environment QT_QPA_PLATFORM=offscreen ${ARG_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/lab ${lab_args} -- ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS lab RUN_SERIAL TRUE SKIP_RETURN_CODE 77 TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "${environment}")
endfunction()
