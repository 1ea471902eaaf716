# Checks the layers that linking alone cannot: every module's headers sit on one
# include path, so an include of a higher layer (or of the simulated desktop, or
# of Qt) would compile. Run by the build on every change (cmake -P, with
# SOURCES set to the Sources folder); fails the build and names each offending
# line.
#
# A rule: a folder below Sources, the include prefixes it may use among the
# project's modules, and whether Qt may be included there (QT after the
# arguments allows it).

cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED SOURCES)
  message(FATAL_ERROR "CheckLayers: set SOURCES to the Sources folder")
endif()

set(project_modules MenuBarCore Concurrency Platform MenuBarSystem DemoDesktop Trayvane Tools)
set(problems "")

# folder, the other folders it may include (;-separated; its own always), prefixes
# forbidden among those, the subfolders or files left to their own rule
function(check_layer folder allowed forbidden excluded)
  set(qt_allowed FALSE)
  if("QT" IN_LIST ARGN)
    set(qt_allowed TRUE)
  endif()
  list(APPEND allowed "${folder}")
  file(GLOB_RECURSE files "${SOURCES}/${folder}/*.h" "${SOURCES}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    set(skip FALSE)
    foreach(left IN LISTS excluded)
      if(file MATCHES "/${folder}/${left}(/|$)")
        set(skip TRUE)
      endif()
    endforeach()
    if(skip)
      continue()
    endif()
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    file(RELATIVE_PATH shown "${SOURCES}" "${file}")
    get_filename_component(here "${file}" DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" target "${line}")
      # A quoted include is looked up next to the including file first, so
      # "../../Platform/Simulated/X.h" or "Simulated/X.h" is judged by the file
      # it reaches, written from the Sources folder.
      if(line MATCHES "#[ \t]*include[ \t]*\"" AND EXISTS "${here}/${target}")
        get_filename_component(reached "${here}/${target}" ABSOLUTE)
        file(RELATIVE_PATH reached "${SOURCES}" "${reached}")
        if(NOT reached MATCHES "^\\.\\./")
          set(target "${reached}")
        endif()
      endif()
      if(NOT qt_allowed AND (target MATCHES "^Q[A-Za-z]*($|/)" OR target MATCHES "^Qt"))
        string(APPEND problems "\n  ${shown}: Qt (${target}) is not allowed here")
        continue()
      endif()
      string(REGEX MATCH "^[A-Za-z]+" head "${target}")
      if(NOT head IN_LIST project_modules OR NOT target MATCHES "/")
        continue()
      endif()
      set(ok FALSE)
      foreach(prefix IN LISTS allowed)
        if(target MATCHES "^${prefix}/")
          set(ok TRUE)
        endif()
      endforeach()
      foreach(prefix IN LISTS forbidden)
        if(target MATCHES "^${prefix}/")
          set(ok FALSE)
        endif()
      endforeach()
      if(NOT ok)
        string(APPEND problems "\n  ${shown}: may not include ${target}")
      endif()
    endforeach()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

check_layer(MenuBarCore "MenuBarCore" "" "")
check_layer(Concurrency "Concurrency" "" "Qt")
check_layer(Platform "MenuBarCore;Platform" "Platform/Simulated" "Simulated")
check_layer(Platform/Simulated "MenuBarCore;Platform" "" "")
check_layer(MenuBarSystem "MenuBarCore;Concurrency;Platform" "Concurrency/Qt;Platform/Simulated" "")
check_layer(Trayvane/Coordinator "MenuBarCore;Concurrency;MenuBarSystem" "Concurrency/Qt" "")
# The composition of the coordinator's services: the platform's interfaces, the
# system services and the coordinator, never Qt nor the simulated desktop.
check_layer(Trayvane/Composition "MenuBarCore;Concurrency;Platform;MenuBarSystem;Trayvane/Coordinator"
            "Concurrency/Qt;Platform/Simulated" "")
# The desktop view draws the simulated desktop and knows nothing of the program.
check_layer(DemoDesktop "MenuBarCore;Platform" "" "" QT)
# The tools, like the executable, put the program on the desktop: the
# screenshot tool runs the program's parts on an executor of its own, or the
# whole program on the event loop's as the executable does.
check_layer(Tools "MenuBarCore;Concurrency;Platform;MenuBarSystem;DemoDesktop;Trayvane" "" "" QT)
# The application is written against the platform's interfaces; only main.cpp
# and the environment beside it know that the platform is simulated, and only
# main.cpp shows the desktop view.
check_layer(Trayvane "MenuBarCore;Concurrency;Platform;MenuBarSystem"
            "Platform/Simulated;DemoDesktop" "Coordinator;Composition;main\\.cpp;SimulatedEnvironment\\.h" QT)

# Inside the application the folders are stacked too (docs/architecture.md has
# the table): Common, the leaf every window uses; Theme; Windows, the pieces
# every window is made of; then the areas, each of which may use the areas
# before it in `shell_areas` and none after it; App, the delegate and its
# components, above them all; main.cpp at the top, left to the rule above. The
# engine (Coordinator) is open to the areas and App, its composition to App
# alone. Every folder of the shell needs a place here, so a new one is judged
# from its first file.
set(shell_modules "MenuBarCore;Concurrency;Platform;MenuBarSystem")
set(shell_areas Help Support StatusItem Onboarding Panels Settings Launch Integrations MainMenu)

# folder, the shell folders it may include (its own always). Which modules
# outside the shell it may use, Qt included, is the application's rule above.
function(check_shell_folder folder)
  set(allowed ${shell_modules})
  foreach(below IN LISTS ARGN)
    list(APPEND allowed "Trayvane/${below}")
  endforeach()
  check_layer("Trayvane/${folder}" "${allowed}" "" "" QT)
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

check_shell_folder(Common)
check_shell_folder(Theme Common)
check_shell_folder(Windows Common Theme)
set(below_area Common Theme Windows Coordinator)
foreach(area IN LISTS shell_areas)
  check_shell_folder(${area} ${below_area})
  list(APPEND below_area ${area})
endforeach()
check_shell_folder(App ${below_area} Composition)

set(shell_folders Common Theme Windows ${shell_areas} App Coordinator Composition)
file(GLOB shell_entries LIST_DIRECTORIES true "${SOURCES}/Trayvane/*")
foreach(entry IN LISTS shell_entries)
  get_filename_component(name "${entry}" NAME)
  if(IS_DIRECTORY "${entry}" AND NOT name IN_LIST shell_folders)
    string(APPEND problems "\n  Trayvane/${name}: a shell folder with no place among the layers")
  endif()
endforeach()

# The core starts no threads: time and work come to it from its callers.
file(GLOB_RECURSE core_files "${SOURCES}/MenuBarCore/*.h" "${SOURCES}/MenuBarCore/*.cpp")
foreach(file IN LISTS core_files)
  file(STRINGS "${file}" lines REGEX "std::(j?thread|async)|pthread_create|#[ \t]*include[ \t]*<thread>")
  if(lines)
    file(RELATIVE_PATH shown "${SOURCES}" "${file}")
    string(APPEND problems "\n  ${shown}: the core starts no threads")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "Layering broken:${problems}")
endif()
