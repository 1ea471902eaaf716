# The layer check over small trees of its own: an include that runs back up
# among the application's folders fails it and names the line, one that runs
# down passes, and a shell folder with no place among the layers fails it.
# Run with cmake -P, CHECK set to cmake/CheckLayers.cmake and WORK to a
# scratch folder.

cmake_minimum_required(VERSION 3.25)

set(failures "")

# case name, "pass" or the text the failure must name, then pairs of a file
# below Sources and the one include it holds
function(expect_layers name outcome)
  set(root "${WORK}/${name}")
  file(REMOVE_RECURSE "${root}")
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} file)
    list(GET pairs ${j} include)
    file(APPEND "${root}/${file}" "#include \"${include}\"\n")
  endforeach()
  execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCES=${root} -P "${CHECK}" RESULT_VARIABLE result
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(outcome STREQUAL "pass")
    if(NOT result EQUAL 0)
      string(APPEND failures "\n  ${name}: expected to pass, got:\n${err}")
    endif()
  else()
    string(FIND "${err}" "${outcome}" at)
    if(result EQUAL 0 OR at EQUAL -1)
      string(APPEND failures "\n  ${name}: expected a failure naming \"${outcome}\", got (${result}):\n${err}")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

expect_layers(downward pass
  Trayvane/Theme/AppIcon.cpp Trayvane/Common/AppInfo.h
  Trayvane/Windows/Frame.cpp Trayvane/Theme/AppColor.h
  Trayvane/Support/Notice.cpp Trayvane/Help/HelpTopic.h
  Trayvane/Settings/Page.cpp Trayvane/Panels/PanelColor.h
  Trayvane/Settings/Store.cpp Trayvane/Coordinator/PauseReason.h
  Trayvane/App/Delegate.cpp Trayvane/Composition/CoordinatorComposition.h
  Trayvane/App/Wiring.cpp Trayvane/MainMenu/MainMenu.h
  Trayvane/main.cpp Trayvane/App/AppDelegate.h)
expect_layers(theme_up "Trayvane/Theme/AppIcon.cpp: may not include Trayvane/StatusItem/BroomIcon.h"
  Trayvane/Theme/AppIcon.cpp Trayvane/StatusItem/BroomIcon.h)
expect_layers(common_up "Trayvane/Common/Defaults.h: may not include Trayvane/Theme/AppColor.h"
  Trayvane/Common/Defaults.h Trayvane/Theme/AppColor.h)
expect_layers(windows_to_area "Trayvane/Windows/Frame.cpp: may not include Trayvane/Panels/ListedPanel.h"
  Trayvane/Windows/Frame.cpp Trayvane/Panels/ListedPanel.h)
expect_layers(area_to_later_area "Trayvane/Panels/Rows.cpp: may not include Trayvane/Settings/SectionText.h"
  Trayvane/Panels/Rows.cpp Trayvane/Settings/SectionText.h)
expect_layers(area_to_app "Trayvane/Help/About.cpp: may not include Trayvane/App/AppInfo.h"
  Trayvane/Help/About.cpp Trayvane/App/AppInfo.h)
expect_layers(area_to_composition "Trayvane/Settings/Page.cpp: may not include Trayvane/Composition/X.h"
  Trayvane/Settings/Page.cpp Trayvane/Composition/X.h)
expect_layers(relative_up "Trayvane/Help/About.cpp: may not include Trayvane/Settings/SettingsStore.h"
  Trayvane/Help/About.cpp ../Settings/SettingsStore.h
  Trayvane/Settings/SettingsStore.h MenuBarCore/Model/Section.h)
expect_layers(folder_without_place "Trayvane/Stray: a shell folder with no place among the layers"
  Trayvane/Stray/Thing.cpp Trayvane/Common/AppInfo.h)

if(failures)
  message(FATAL_ERROR "The layer check judged wrongly:${failures}")
endif()
