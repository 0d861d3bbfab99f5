# Turns the manual's plain-text source into RTF, which word processors open under a ".doc" name.
# Usage: cmake -DINPUT=manual.txt -DOUTPUT=<file> -P MakeRtf.cmake
#
# Source lines:  "= " title, "~ " subtitle, "== " heading, "- " list item, "| " fixed-width line,
# an empty line ends nothing (each line is a paragraph of its own), anything else is body text.
# Non-ASCII characters are written as RTF Unicode escapes, so the file itself is plain ASCII.

cmake_minimum_required(VERSION 3.25)

file(READ "${INPUT}" text)
if(text MATCHES ";")
    message(FATAL_ERROR "${INPUT}: the manual source must not contain ';'")
endif()

string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "{" "\\{" text "${text}")
string(REPLACE "}" "\\}" text "${text}")

# А (U+0410) to я (U+044F) follow one another in Unicode.
set(cyrillic А Б В Г Д Е Ж З И Й К Л М Н О П Р С Т У Ф Х Ц Ч Ш Щ Ъ Ы Ь Э Ю Я
    а б в г д е ж з и й к л м н о п р с т у ф х ц ч ш щ ъ ы ь э ю я)
set(code 1040)
foreach(letter IN LISTS cyrillic)
    string(REPLACE "${letter}" "\\u${code}?" text "${text}")
    math(EXPR code "${code} + 1")
endforeach()
foreach(pair "Ё=1025" "ё=1105" "«=171" "»=187" "—=8212" "–=8211" "№=8470" "…=8230"
        "“=8220" "”=8221" "’=8217")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 character)
    list(GET pair 1 character_code)
    string(REPLACE "${character}" "\\u${character_code}?" text "${text}")
endforeach()
if(text MATCHES "[^ -~\n\t]")
    message(FATAL_ERROR "${INPUT}: a character with no RTF escape here: ${CMAKE_MATCH_0}")
endif()

string(REPLACE "\n" ";" lines "${text}")
set(body "")
foreach(line IN LISTS lines)
    if(line STREQUAL "")
        continue()
    elseif(line MATCHES "^= (.*)$")
        string(APPEND body "{\\pard\\qc\\sa240\\b\\fs40 ${CMAKE_MATCH_1}\\par}\n")
    elseif(line MATCHES "^~ (.*)$")
        string(APPEND body "{\\pard\\qc\\sa480\\fs26 ${CMAKE_MATCH_1}\\par}\n")
    elseif(line MATCHES "^== (.*)$")
        string(APPEND body "{\\pard\\keepn\\sb240\\sa120\\b\\fs28 ${CMAKE_MATCH_1}\\par}\n")
    elseif(line MATCHES "^- (.*)$")
        string(APPEND body "{\\pard\\fi-284\\li567\\sa60\\qj \\u8226?\\tab ${CMAKE_MATCH_1}\\par}\n")
    elseif(line MATCHES "^\\| (.*)$")
        string(APPEND body "{\\pard\\li567\\f1\\fs18 ${CMAKE_MATCH_1}\\par}\n")
    else()
        string(APPEND body "{\\pard\\sa120\\qj ${line}\\par}\n")
    endif()
endforeach()

set(header "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n"
    "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial\\;}{\\f1\\fmodern\\fcharset204 Courier New\\;}}\n"
    "{\\info{\\title \\u1056?\\u1091?\\u1082?\\u1086?\\u1074?\\u1086?\\u1076?\\u1089?\\u1090?\\u1074?\\u1086? "
    "\\u1087?\\u1086?\\u1083?\\u1100?\\u1079?\\u1086?\\u1074?\\u1072?\\u1090?\\u1077?\\u1083?\\u1103?}}\n"
    "\\paperw11906\\paperh16838\\margl1418\\margr850\\margt1134\\margb1134\\f0\\fs22\n")
string(JOIN "" header ${header})
file(WRITE "${OUTPUT}.tmp" "${header}${body}}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
