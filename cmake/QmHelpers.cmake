# qm_library(<target> LAYER <n> DIR <dir> [DEPS ...])
# One static library per source folder; the sources are globbed so that adding
# a file never means editing a shared list. LAYER places it in the include
# order (0 at the bottom): it may use only libraries of lower layers.
#
# A library exports only its own headers: each gets a link in an include root
# of the library's own under the build folder, at its path below src/, so a
# folder sees the headers of the libraries it links and no others (src/ as a
# whole is never on an include path). Every library is listed with its folder
# layer and declared dependencies in the layering manifest the include check
# reads.
function(qm_library target)
  cmake_parse_arguments(QL "" "LAYER;DIR" "DEPS" ${ARGN})
  if(NOT QL_LAYER MATCHES "^[0-9]+$")
    message(FATAL_ERROR "qm_library(${target}): LAYER <number> is missing")
  endif()
  file(GLOB _src CONFIGURE_DEPENDS ${QL_DIR}/*.cpp ${QL_DIR}/*.h)
  file(GLOB _cpp CONFIGURE_DEPENDS ${QL_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${QL_DIR}/*.h)
  set(_root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${_root})
  foreach(_h ${_headers})
    file(RELATIVE_PATH _rel ${CMAKE_SOURCE_DIR}/src ${_h})
    get_filename_component(_dir ${_root}/${_rel} DIRECTORY)
    file(MAKE_DIRECTORY ${_dir})
    file(CREATE_LINK ${_h} ${_root}/${_rel} SYMBOLIC)
  endforeach()
  file(MAKE_DIRECTORY ${_root})
  if(_cpp)
    add_library(${target} STATIC ${_src})
    target_include_directories(${target} PUBLIC ${_root})
    target_link_libraries(${target} PUBLIC ${QL_DEPS})
    target_compile_definitions(${target} PRIVATE ${QM_STRICT_STRINGS})
  else()
    # A folder that holds only headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${_root})
    target_link_libraries(${target} INTERFACE ${QL_DEPS})
  endif()
  file(RELATIVE_PATH _reldir ${CMAKE_SOURCE_DIR}/src ${QL_DIR})
  string(REPLACE ";" "," _deps "${QL_DEPS}")
  set_property(GLOBAL APPEND PROPERTY QM_LAYERING "${target}|${_reldir}|${QL_LAYER}|${_deps}")
endfunction()

# Writes the manifest of every library (name, folder below src/, layer,
# declared dependencies), one per line, once all of them are known.
function(qm_write_layering_manifest)
  get_property(_libs GLOBAL PROPERTY QM_LAYERING)
  string(REPLACE ";" "\n" _text "${_libs}")
  file(WRITE ${CMAKE_BINARY_DIR}/layering.txt "${_text}\n")
endfunction()

include(GoogleTest)

# The environment of every test case, from tests/test.env (the scripts that
# run test programs themselves source the same file).
file(STRINGS ${CMAKE_SOURCE_DIR}/tests/test.env QM_TEST_ENVIRONMENT REGEX "^[A-Za-z_][A-Za-z0-9_]*=")
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/test.env)

# qm_test(<name> APP Core|Gui|Widgets|X11 DIR <dir> [DEPS ...] [RUNS ...])
# One test program per test folder, with our own main that creates the right
# kind of Qt application on the offscreen platform; X11 starts an X server of
# the program's own first and puts a widget application on it. RUNS names the
# programs of this build the tests start, so building the tests builds them.
function(qm_test name)
  cmake_parse_arguments(QT "" "APP;DIR" "DEPS;RUNS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${QT_DIR}/*.cpp ${QT_DIR}/*.h)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(QT_APP STREQUAL "Widgets")
    target_compile_definitions(${name} PRIVATE QM_TEST_APP_WIDGETS)
    set(_qt Qt6::Widgets)
  elseif(QT_APP STREQUAL "X11")
    target_compile_definitions(${name} PRIVATE QM_TEST_APP_X11)
    set(_qt Qt6::Widgets)
  elseif(QT_APP STREQUAL "Gui")
    target_compile_definitions(${name} PRIVATE QM_TEST_APP_GUI)
    set(_qt Qt6::Gui)
  else()
    set(_qt Qt6::Core)
  endif()
  target_compile_definitions(${name} PRIVATE
    QM_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    QM_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  target_link_libraries(${name} PRIVATE ${QT_DEPS} ${_qt} Qt6::Test GTest::gtest)
  if(QT_RUNS)
    add_dependencies(${name} ${QT_RUNS})
  endif()
  # Every case is a CTest test of its own, named <program>.<Suite>.<Case>, so a
  # failure names the case. The cases are listed when ctest starts rather than
  # after linking: listing runs the program, which a sanitizer build makes slow
  # and which must not fail the build. Parameter values stay out of the names:
  # gtest prints objects as raw bytes, pointers included, which differ per run.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    NO_PRETTY_VALUES
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 120)
  # The environment is a list, which the PROPERTIES above cannot carry intact;
  # it is set on the discovered cases from a script ctest reads after them.
  set(_env_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${_env_script}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
    "    \"${QM_TEST_ENVIRONMENT}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_env_script})
endfunction()
