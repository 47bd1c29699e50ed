# One static library per layer, made of every source file in its folder.
# New files join their layer without editing CMake.
function(orlinda_layer name dir)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  if(NOT srcs)
    set(stub ${CMAKE_BINARY_DIR}/generated/empty_${name}.cpp)
    file(WRITE ${stub} "// layer ${name} has no sources yet\n")
    set(srcs ${stub})
  endif()
  add_library(orlinda_${name} STATIC ${srcs})
  target_include_directories(orlinda_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(orlinda_${name} PUBLIC ${L_DEPS})
endfunction()

# One GoogleTest executable per test file: tests/<layer>/test_<thing>.cpp.
function(orlinda_tests layer)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/test_*.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/support/*.cpp)
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    set(exe ${layer}_${n})
    add_executable(${exe} ${t} ${support})
    target_link_libraries(${exe} PRIVATE ${T_DEPS} orlinda_testsupport GTest::gtest GTest::gtest_main GTest::gmock)
    if(layer STREQUAL "cli")
      add_dependencies(${exe} orlinda-cli)
    endif()
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES
      ENVIRONMENT "ORLINDA_SOURCE_DIR=${CMAKE_SOURCE_DIR};ORLINDA_BINARY_DIR=${CMAKE_BINARY_DIR};ORLINDA_CLI=$<TARGET_FILE:orlinda-cli>"
      TIMEOUT 600)
  endforeach()
endfunction()
