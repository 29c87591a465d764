# Compiles Help.chm; run at build time by the help_file target (cmake -P):
#   -DSOURCE_DIR=<help sources> -DWORK_DIR=<build folder> -DSCREENSHOTS=<folder of the Wine tests' pictures>
#   -DCHMCMD=<chmcmd> -DICONV=<iconv> [-DCONVERT=<ImageMagick convert>]
#
# The pages, table of contents and index are written in UTF-8 and converted to code page 936, which the
# help viewer expects for Chinese. The pictures are the screenshots the Wine tests save; each page names
# them as images/<screenshot name>. Whatever exists is copied in; a missing picture leaves a warning and
# the help is built without it (a first build runs before the tests). Nothing is done when neither the
# sources nor the screenshots changed since the last build.
cmake_minimum_required(VERSION 3.16)

foreach(var SOURCE_DIR WORK_DIR SCREENSHOTS CHMCMD ICONV)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "build-help.cmake: ${var} is not set")
    endif()
endforeach()

# Full-screen screenshots are cut down to the part that matters: width x height, offset of the cut's
# centre from the screen's centre (the main window is centred on the screen).
set(crop_list_hint.png 326x390+18+0)
set(crop_main_window_icon_hint.png 326x410+18+10)
set(crop_system_menu.png 390x490+50+50)
set(crop_system_menu_help_submenu.png 500x520+105+65)

set(texts Help.hhp Help.hhc Help.hhk)
file(GLOB pages RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.html)
list(SORT pages)

# The pictures the pages name.
set(pictures)
foreach(page ${pages})
    file(READ ${SOURCE_DIR}/${page} html)
    string(REGEX MATCHALL "src=\"images/[^\"]+\"" refs "${html}")
    foreach(ref ${refs})
        string(REGEX REPLACE "src=\"images/([^\"]+)\"" "\\1" name "${ref}")
        list(APPEND pictures ${name})
    endforeach()
endforeach()
list(REMOVE_DUPLICATES pictures)

# Fingerprint of everything that goes in.
set(fingerprint "convert=${CONVERT}\n")
foreach(file ${texts} ${pages} help.css build-help.cmake)
    file(SHA256 ${SOURCE_DIR}/${file} hash)
    string(APPEND fingerprint "${file} ${hash}\n")
endforeach()
set(present)
set(missing)
foreach(picture ${pictures})
    if(EXISTS ${SCREENSHOTS}/${picture})
        file(SHA256 ${SCREENSHOTS}/${picture} hash)
        file(TIMESTAMP ${SCREENSHOTS}/${picture} time "%Y-%m-%dT%H:%M:%S" UTC)
        string(APPEND fingerprint "images/${picture} ${hash} ${time}\n")
        list(APPEND present ${picture})
    else()
        string(APPEND fingerprint "images/${picture} missing\n")
        list(APPEND missing ${picture})
    endif()
endforeach()

set(output ${WORK_DIR}/Help.chm)
set(stamp ${WORK_DIR}/Help.chm.inputs)
if(EXISTS ${output} AND EXISTS ${stamp})
    file(READ ${stamp} previous)
    if(previous STREQUAL fingerprint)
        if(missing)
            message(WARNING "Help.chm is up to date but still lacks pictures (run the Wine tests): ${missing}")
        endif()
        return()
    endif()
endif()

if(missing)
    string(REPLACE ";" " " missing_text "${missing}")
    message(WARNING "Help.chm is built without these pictures, which the Wine tests save into "
                    "${SCREENSHOTS}: ${missing_text}")
endif()

set(stage ${WORK_DIR}/stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/images)

foreach(file ${texts} ${pages})
    execute_process(COMMAND ${ICONV} -f UTF-8 -t CP936 ${SOURCE_DIR}/${file}
                    OUTPUT_FILE ${stage}/${file} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${file}: a character cannot be written in code page 936")
    endif()
endforeach()
file(COPY ${SOURCE_DIR}/help.css DESTINATION ${stage})

foreach(picture ${present})
    if(DEFINED crop_${picture} AND CONVERT)
        execute_process(COMMAND ${CONVERT} ${SCREENSHOTS}/${picture} -gravity center -crop ${crop_${picture}}
                                +repage ${stage}/images/${picture}
                        RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "cannot cut ${picture}")
        endif()
    else()
        file(COPY ${SCREENSHOTS}/${picture} DESTINATION ${stage}/images)
    endif()
    file(APPEND ${stage}/Help.hhp "images/${picture}\n")
endforeach()

execute_process(COMMAND ${CHMCMD} --no-html-scan Help.hhp
                WORKING_DIRECTORY ${stage} OUTPUT_FILE ${WORK_DIR}/chmcmd.log ERROR_FILE ${WORK_DIR}/chmcmd.log
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${stage}/Help.chm)
    message(FATAL_ERROR "chmcmd failed; see ${WORK_DIR}/chmcmd.log")
endif()
file(COPY_FILE ${stage}/Help.chm ${output})
file(WRITE ${stamp} "${fingerprint}")
message(STATUS "Help.chm: ${output}")
