# Fails when the code has a text that a translation lacks or leaves unfinished: the
# translation is brought up to date with the code in a copy, then compiled.
# Arguments: LUPDATE, LRELEASE, PROJECT (lupdate's project description), TS, WORK.
get_filename_component(name "${TS}" NAME)
file(MAKE_DIRECTORY "${WORK}")
configure_file("${TS}" "${WORK}/${name}" COPYONLY)
execute_process(
    COMMAND "${LUPDATE}" -project "${PROJECT}" -ts "${WORK}/${name}"
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
