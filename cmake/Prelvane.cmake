# Adds every folder below ROOT (at any depth) that has a CMakeLists.txt,
# unless a parent folder already has one (then the parent adds its children).
function(prelvane_add_subdirs root)
  if(NOT EXISTS ${root})
    return()
  endif()
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${root}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child})
      if(EXISTS ${child}/CMakeLists.txt)
        add_subdirectory(${child})
      else()
        prelvane_add_subdirs(${child})
      endif()
    endif()
  endforeach()
endfunction()

# prelvane_library(NAME [DEPS libs...] [SOURCES extra...])
# A static library of every .cpp and .h in the calling folder (recursively).
function(prelvane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# prelvane_tests(LIBS libs... [DBUS] [ENV k=v...] [SOURCES extra...])
# One test executable per tst_*.cpp in the calling folder. DBUS runs each
# one inside its own private session bus.
function(prelvane_tests)
  cmake_parse_arguments(ARG "DBUS" "" "LIBS;ENV;SOURCES" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE prelvane_test_support ${ARG_LIBS} Qt6::Test)
    if(ARG_DBUS)
      add_test(NAME ${name} COMMAND dbus-run-session -- $<TARGET_FILE:${name}>)
    else()
      add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=Asia/Shanghai;LC_ALL=C.UTF-8;${ARG_ENV}"
      TIMEOUT 300)
  endforeach()
endfunction()
