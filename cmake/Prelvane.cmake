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

set(PRELVANE_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

# prelvane_library(NAME [DEPS libs...] [PRIVATE_DEPS libs...] [SOURCES extra...])
# A static library of every .cpp and .h in the calling folder (recursively).
# DEPS are the libraries its public headers need; everything else goes in
# PRIVATE_DEPS. Libraries outside app/, notes/ and settings/ may not use Qt Widgets.
function(prelvane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;SOURCES" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT rel MATCHES "^(app|notes|settings)/")
    prelvane_forbid_widgets(${name})
  endif()
endfunction()

# prelvane_presenter_library(NAME [DEPS libs...] [PRIVATE_DEPS libs...] [SOURCES extra...])
# A library of window presenters: like prelvane_library, but the build fails
# when it includes a Qt Widgets header or links Qt Widgets, even indirectly.
function(prelvane_presenter_library name)
  prelvane_library(${name} ${ARGN})
  prelvane_forbid_widgets(${name})
endfunction()

# Stops TARGET from using Qt Widgets: a header that fails on inclusion
# shadows Qt's, and at the end of configuring its link closure is checked.
function(prelvane_forbid_widgets target)
  get_target_property(done ${target} PRELVANE_NO_WIDGETS)
  if(done)
    return()
  endif()
  set_target_properties(${target} PROPERTIES PRELVANE_NO_WIDGETS ON)
  target_include_directories(${target} BEFORE PRIVATE ${PRELVANE_CMAKE_DIR}/no-widgets)
  # A deferred call reads its arguments when it runs: pass the name, not the variable.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL prelvane_check_no_widgets [[${target}]])")
endfunction()

# Fails configuring when TARGET links Qt Widgets directly or through any library.
function(prelvane_check_no_widgets target)
  set(queue ${target})
  set(seen "")
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL "Qt6::Widgets" OR current STREQUAL "Qt::Widgets")
      message(FATAL_ERROR "${target} must not use Qt Widgets, but it links them (${seen})")
    endif()
    if(NOT TARGET ${current})
      continue()
    endif()
    get_target_property(aliased ${current} ALIASED_TARGET)
    if(aliased)
      list(APPEND queue ${aliased})
    endif()
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${prop})
      if(NOT libs)
        continue()
      endif()
      foreach(lib ${libs})
        # $<LINK_ONLY:x> and friends still bring x into the link.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(lib MATCHES "^\\$<")
          continue()
        endif()
        list(APPEND queue ${lib})
      endforeach()
    endforeach()
  endwhile()
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
