# Adds every immediate sub-folder of the current source folder that has a CMakeLists.txt,
# so that a new module or test folder needs no edit of its parent.
function(luvaro_add_subdirs)
  file(GLOB children LIST_DIRECTORIES true "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
      add_subdirectory("${child}")
    endif()
  endforeach()
endfunction()

# luvaro_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [ENVIRONMENT ...] [TIMEOUT s])
# One GoogleTest program registered as one ctest test, so that per-program fixtures
# (a SoftHSM token, a simulator) are made once and programs run in parallel.
function(luvaro_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "LUVARO_SHARED_SCHEMAS=${LUVARO_SHARED_SCHEMAS};LUVARO_HEADLESS=1;${T_ENVIRONMENT}")
  if(WIN32)
    # Under Wine, in the prefix that the fixture of tests/windows makes for each ctest run.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${LUVARO_WINE_ENVIRONMENT})
    set_property(TEST ${name} APPEND PROPERTY LABELS windows)
    set_property(TEST ${name} PROPERTY FIXTURES_REQUIRED wine)
    # Cases whose expectations belong to Linux (tests/windows/CMakeLists.txt says which, why).
    if(LUVARO_WINDOWS_EXCLUDE_${name})
      list(JOIN LUVARO_WINDOWS_EXCLUDE_${name} ":" excluded)
      set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=-${excluded}")
    endif()
  endif()
endfunction()
