# Converts the built manual to PDF with LibreOffice and checks the text of its first page.
# Where LibreOffice or pdftotext is not installed it says so, and the test counts as skipped.
cmake_minimum_required(VERSION 3.25)

if(NOT SOFFICE OR NOT PDFTOTEXT)
    message("LibreOffice (soffice) or pdftotext not installed: not checked")
    return()
endif()
if(NOT EXISTS "${MANUAL}")
    message(FATAL_ERROR "The manual was not built: ${MANUAL}")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
# A profile of its own, so that a LibreOffice the user has open plays no part.
execute_process(
    COMMAND "${SOFFICE}" "-env:UserInstallation=file://${WORK_DIR}/profile" --headless
            --convert-to pdf --outdir "${WORK_DIR}" "${MANUAL}"
    RESULT_VARIABLE converted
    OUTPUT_VARIABLE output ERROR_VARIABLE output
    TIMEOUT 240)
get_filename_component(base "${MANUAL}" NAME_WE)
set(pdf "${WORK_DIR}/${base}.pdf")
if(NOT converted EQUAL 0 OR NOT EXISTS "${pdf}")
    message(FATAL_ERROR "LibreOffice did not convert the manual (${converted}): ${output}")
endif()

execute_process(
    COMMAND "${PDFTOTEXT}" -f 1 -l 1 -enc UTF-8 "${pdf}" -
    RESULT_VARIABLE extracted
    OUTPUT_VARIABLE first_page)
if(NOT extracted EQUAL 0)
    message(FATAL_ERROR "pdftotext failed (${extracted})")
endif()
string(REGEX REPLACE "[ \n]+" " " first_page "${first_page}")

foreach(expected
        "Руководство пользователя"
        "Программный модуль «ЗОРТ» — модуль проверки по ЗОРТ"
        "1. Назначение программы"
        "0606024, 0606021, 0606020, 0606026, 0000001 и 0000002"
        "2. Главное окно"
        "«Проверка по ЗОРТ»")
    string(FIND "${first_page}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The first page lacks \"${expected}\". It reads:\n${first_page}")
    endif()
endforeach()
# No RTF control word may leak into the text.
if(first_page MATCHES "\\\\[a-z]+")
    message(FATAL_ERROR "RTF markup shows on the first page: ${CMAKE_MATCH_0}")
endif()
message("The manual's first page reads as written.")
