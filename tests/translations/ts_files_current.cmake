# Runs lupdate over the window sources into a copy of each .ts file: a copy
# that comes out different means a text marked for translation is missing
# from the committed file (or one no longer used is still in it).
# Called by ctest with LUPDATE, SOURCE_DIR and WORK_DIR set.
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(language de fr)
  set(committed ${SOURCE_DIR}/translations/corvell_${language}.ts)
  set(copy ${WORK_DIR}/corvell_${language}.ts)
  configure_file(${committed} ${copy} COPYONLY)
  execute_process(
    COMMAND ${LUPDATE} -silent -locations none -no-obsolete
            src/main_window src/remote src/transfer src/local src/app -ts ${copy}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${copy}")
  endif()
  file(READ ${committed} before)
  file(READ ${copy} after)
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "translations/corvell_${language}.ts is not current with the sources: "
                        "build the update_translations target and translate the new entries")
  endif()
endforeach()
