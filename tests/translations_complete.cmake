# Fails when the code has a text that a translation lacks or leaves unfinished: the
# translation is brought up to date with the code in a copy, then compiled.
# Arguments: LUPDATE, LRELEASE, PROJECT (the sources and include folders that CMake wrote for
# lupdate), PROJECT_TO_JSON (Qt's script that makes lupdate's project file of it), TS, WORK.
get_filename_component(name "${TS}" NAME)
file(MAKE_DIRECTORY "${WORK}")
configure_file("${TS}" "${WORK}/${name}" COPYONLY)
execute_process(
    COMMAND "${CMAKE_COMMAND}" "-DIN_FILE=${PROJECT}" "-DOUT_FILE=${WORK}/${name}.project.json"
            -P "${PROJECT_TO_JSON}"
    OUTPUT_VARIABLE described ERROR_VARIABLE described RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "lupdate's project file could not be made:\n${described}")
endif()
execute_process(
    COMMAND "${LUPDATE}" -project "${WORK}/${name}.project.json" -ts "${WORK}/${name}"
            -source-language cs -locations none -no-obsolete
    OUTPUT_VARIABLE updated ERROR_VARIABLE updated RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "lupdate failed:\n${updated}")
endif()
if(NOT updated MATCHES "\\(0 new and [0-9]+ already existing\\)")
    message(FATAL_ERROR "${name}: the code has texts the translation lacks:\n${updated}")
endif()
execute_process(
    COMMAND "${LRELEASE}" "${WORK}/${name}" -qm "${WORK}/${name}.qm"
    OUTPUT_VARIABLE released ERROR_VARIABLE released RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "lrelease failed:\n${released}")
endif()
if(released MATCHES "untranslated" OR NOT released MATCHES " 0 unfinished\\)")
    message(FATAL_ERROR "${name}: the translation is not complete:\n${released}")
endif()
message(STATUS "${name}: ${released}")
