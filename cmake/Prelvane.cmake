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

# CMake 3.25's Ninja rule that runs moc for a target depends only on the files
# moc saw last time, not on the target's file list: a header added later (the
# folders are globbed) was never moc'ed and the link failed. When the list
# changed since the last configure, the rule's stamp goes, so it runs again.
function(prelvane_autogen_follows_sources target)
  get_target_property(srcs ${target} SOURCES)
  string(SHA1 digest "${srcs}")
  get_target_property(dir ${target} BINARY_DIR)
  set(autogen ${dir}/${target}_autogen)
  set(record ${dir}/CMakeFiles/${target}.sources-digest)
  set(old "")
  if(EXISTS ${record})
    file(READ ${record} old)
  endif()
  if(NOT old STREQUAL digest)
    file(REMOVE ${autogen}/timestamp)
    file(WRITE ${record} ${digest})
  endif()
endfunction()

# prelvane_library(NAME [DEPS libs...] [PRIVATE_DEPS libs...] [SOURCES extra...])
# A static library of every .cpp and .h in the calling folder (recursively).
# DEPS are the libraries its public headers need; everything else goes in
# PRIVATE_DEPS. Libraries outside app/, notes/ and settings/ may not use Qt Widgets.
function(prelvane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;SOURCES" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs} ${ARG_SOURCES})
  prelvane_autogen_follows_sources(${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT rel MATCHES "^(app|notes|settings)/")
    prelvane_forbid_widgets(${name})
  endif()
  prelvane_layer_of_folder("${rel}" layer)
  set_target_properties(${name} PROPERTIES PRELVANE_LAYER "${layer}")
  # Remembered for the include and layer checks at the end of configuring.
  set_property(GLOBAL APPEND PROPERTY PRELVANE_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY PRELVANE_LIBRARY_DIR_${rel} ${name})
  set_target_properties(${name} PROPERTIES PRELVANE_DIR ${rel})
  get_property(deferred GLOBAL PROPERTY PRELVANE_INCLUDE_CHECK_DEFERRED)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY PRELVANE_INCLUDE_CHECK_DEFERRED ON)
    cmake_language(EVAL CODE
      "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL prelvane_check_includes)")
  endif()
endfunction()

# The layers, lowest first. A library links only libraries of its own layer or
# a lower one; the layer comes from the library's folder (the table below).
set(PRELVANE_LAYERS platform core service kit windows shell program)
# Folder patterns and their layers, the first match wins. Folders of app/ are
# the shell's unless they are part of the interface kit, the program, or the
# agreement windows (the shell's prompts and the settings window's about tab
# both show their pages) or the authorisation window (the login window signs
# in with it, the account tab binds with it).
set(PRELVANE_LAYER_FOLDERS
  "^platform(/|$)" platform
  "^core(/|$)" core
  "^service(/|$)" service
  "^app/(uikit|services)(/|$)" kit
  "^(notes|settings)(/|$)" windows
  "^app/(agreement|agreementwindows|oauth|oauthwindows)(/|$)" windows
  "^app/main(/|$)" program
  "^app(/|$)" shell)

# The layer of a folder relative to the project's root; empty for folders
# outside the layered ones (tests, benchmarks, the build's own probes).
function(prelvane_layer_of_folder folder out)
  set(table ${PRELVANE_LAYER_FOLDERS})
  while(table)
    list(POP_FRONT table pattern layer)
    if(folder MATCHES "${pattern}")
      set(${out} ${layer} PARENT_SCOPE)
      return()
    endif()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

# The layer of any target: a prelvane library's own, else the one of the folder
# the target was made in (libraries made with add_library count too).
function(prelvane_layer_of_target target out)
  set(${out} "" PARENT_SCOPE)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  get_target_property(imported ${target} IMPORTED)
  if(imported)
    return()
  endif()
  get_target_property(layer ${target} PRELVANE_LAYER)
  if(NOT layer)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
    prelvane_layer_of_folder("${rel}" layer)
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

# Fails configuring when a library links (directly: what it links in turn is
# checked on its own) a library of a higher layer.
function(prelvane_check_layers)
  get_property(libraries GLOBAL PROPERTY PRELVANE_LIBRARIES)
  set(errors "")
  foreach(lib ${libraries})
    get_target_property(layer ${lib} PRELVANE_LAYER)
    if(NOT layer)
      continue()
    endif()
    list(FIND PRELVANE_LAYERS ${layer} rank)
    set(linked "")
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${lib} ${prop})
      if(libs)
        foreach(dep ${libs})
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dep "${dep}")
          if(NOT dep IN_LIST linked)
            list(APPEND linked ${dep})
          endif()
        endforeach()
      endif()
    endforeach()
    foreach(dep ${linked})
      prelvane_layer_of_target(${dep} dep_layer)
      if(NOT dep_layer)
        continue()
      endif()
      list(FIND PRELVANE_LAYERS ${dep_layer} dep_rank)
      if(dep_rank GREATER rank)
        get_target_property(dir ${lib} PRELVANE_DIR)
        string(APPEND errors
               "\n  ${lib} (${dir}, layer ${layer}) links ${dep} of the higher layer ${dep_layer}")
      endif()
    endforeach()
  endforeach()
  if(errors)
    list(JOIN PRELVANE_LAYERS " < " order)
    message(FATAL_ERROR "libraries that link a higher layer (${order}):${errors}")
  endif()
endfunction()

# The libraries TARGET links, directly or through others (itself included).
function(prelvane_link_closure target out)
  set(queue ${target})
  set(seen "")
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${prop})
      if(libs)
        foreach(lib ${libs})
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
          list(APPEND queue ${lib})
        endforeach()
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# A library may include the headers of the libraries it links (directly or
# through others) only: a header of a library it does not link stops configuring.
function(prelvane_check_includes)
  get_property(libraries GLOBAL PROPERTY PRELVANE_LIBRARIES)
  set(errors "")
  foreach(lib ${libraries})
    get_target_property(dir ${lib} PRELVANE_DIR)
    prelvane_link_closure(${lib} closure)
    get_target_property(sources ${lib} SOURCES)
    foreach(src ${sources})
      string(FIND "${src}" "${PROJECT_SOURCE_DIR}/" at)
      if(NOT at EQUAL 0 OR NOT src MATCHES "\\.(h|cpp)$")
        continue()
      endif()
      file(STRINGS ${src} includes REGEX "^#include \"[a-z]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^#include \"(.*)/[^/]*\".*" "\\1" folder "${line}")
        get_property(owner GLOBAL PROPERTY PRELVANE_LIBRARY_DIR_${folder})
        if(owner AND NOT owner IN_LIST closure)
          file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${src})
          string(APPEND errors "\n  ${shown} includes ${folder}/ but ${lib} does not link ${owner}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(errors)
    message(FATAL_ERROR "includes across libraries that are not linked:${errors}")
  endif()
  prelvane_check_layers()
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
    prelvane_autogen_follows_sources(${name})
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
