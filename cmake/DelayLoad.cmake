# Delay-loaded system DLLs: the program calls their functions as usual, and
# each DLL is loaded at its first call, after the DLL search has been
# restricted to the system folder, instead of by the loader before any of
# the program's code runs.
#
#   installer_delay_load_libraries(TARGET OUT_VARIABLE dll...)
#
# Sets OUT_VARIABLE to what TARGET must link before the DLLs' ordinary import
# libraries (their delay-load libraries with mingw-w64; link options and the
# helper library with Microsoft's linker).
function(installer_delay_load_libraries target out_variable)
  set(linked "")
  if(MSVC)
    foreach(dll IN LISTS ARGN)
      list(APPEND linked "-DELAYLOAD:${dll}.dll")
    endforeach()
    list(APPEND linked delayimp)
  else()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
      message(FATAL_ERROR "delay-loaded DLLs need dlltool and nm of the toolchain")
    endif()
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/delay_load)
    file(MAKE_DIRECTORY ${folder})
    foreach(dll IN LISTS ARGN)
      find_library(installer_import_library_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
      set(import_library ${installer_import_library_${dll}})
      set(definitions ${folder}/${dll}.def)
      set(delayed ${folder}/lib${dll}_delayed.a)
      add_custom_command(OUTPUT ${delayed}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/import_library_def.py
                ${CMAKE_NM} ${import_library} ${dll}.dll ${definitions}
        # dlltool names the library's symbols after the output path it is
        # given: a bare name keeps the build folder out of the executable.
        COMMAND ${CMAKE_DLLTOOL} --input-def ${dll}.def --dllname ${dll}.dll --output-delaylib lib${dll}_delayed.a
        WORKING_DIRECTORY ${folder}
        DEPENDS ${PROJECT_SOURCE_DIR}/cmake/import_library_def.py ${import_library}
        COMMENT "Delay-load library for ${dll}.dll"
        VERBATIM)
      list(APPEND linked ${delayed})
    endforeach()
    add_custom_target(${target}_delay_load DEPENDS ${linked})
    add_dependencies(${target} ${target}_delay_load)
  endif()
  set(${out_variable} ${linked} PARENT_SCOPE)
endfunction()
