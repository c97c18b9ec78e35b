# The program's facts that the checks compare it with, gathered into ${CMAKE_BINARY_DIR}/facts.json
# (read by tests/system/common/facts.py). Each is written once: the version, its release date, the
# application id, the program's name and the publisher in the root CMakeLists.txt; the title, the
# client area's size, the messages and the input's bound in the C++ source that uses them, read
# from there. A source that no longer reads as expected stops the configuration, naming the file,
# rather than let the checks compare the program with a stale copy. CMake runs again when any of
# those sources changes. Also sets, for the build's own use: CONVERSIONE_TITLE,
# CONVERSIONE_CLIENT_WIDTH and CONVERSIONE_CLIENT_HEIGHT (logical pixels) and
# CONVERSIONE_LONGEST_INPUT (characters).

# conversione_read_fact(VAR FILE REGEX): VAR is the first group REGEX captures in FILE (relative
# to the source root).
function(conversione_read_fact var file regex)
    set(path "${PROJECT_SOURCE_DIR}/${file}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
    file(READ "${path}" text)
    if(NOT text MATCHES "${regex}")
        message(FATAL_ERROR "${file}: cannot read ${var} from it (no text matches ${regex}); "
                            "cmake/facts.cmake reads it there for the checks: keep the two in step")
    endif()
    set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# A C++ string literal's characters: all but a quote or a backslash, or an escape.
set(literal [=[(([^"\\]|\\.)*)]=])

# conversione_read_text(VAR FILE REGEX): as conversione_read_fact, for a string literal that REGEX
# captures first (with ${literal}); VAR is the text it stands for. Only the escapes the program's
# texts use are read; any other stops the configuration.
function(conversione_read_text var file regex)
    conversione_read_fact(${var} "${file}" "${regex}")
    set(escaped "${${var}}")
    string(ASCII 1 backslash)
    string(REPLACE [[\\]] "${backslash}" text "${escaped}")
    string(REPLACE [[\n]] "\n" text "${text}")
    string(REPLACE [[\t]] "\t" text "${text}")
    string(REPLACE [[\"]] [["]] text "${text}")
    if(text MATCHES [[\\]])
        message(FATAL_ERROR "${file}: \"${escaped}\" has an escape cmake/facts.cmake does not read")
    endif()
    string(REPLACE "${backslash}" [[\]] text "${text}")
    set(${var} "${text}" PARENT_SCOPE)
endfunction()

# conversione_json_string(VAR TEXT): TEXT as a JSON string, quotes included.
function(conversione_json_string var text)
    string(REPLACE [[\]] [[\\]] text "${text}")
    string(REPLACE [["]] [[\"]] text "${text}")
    string(REPLACE "\n" [[\n]] text "${text}")
    string(REPLACE "\r" [[\r]] text "${text}")
    string(REPLACE "\t" [[\t]] text "${text}")
    set(${var} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The title of the window and of its message boxes, and Qt's application name.
conversione_read_text(CONVERSIONE_TITLE runtime/services.h
    "programName = u\"${literal}\";")

# The client area below the menu bar, stored in twips; in pixels as window/formdescription.h's
# twipsToPixels gives them.
set(form window/formdescription.h)
conversione_read_fact(twips_per_pixel ${form} [[constexpr int twipsPerPixel = ([0-9]+);]])
conversione_read_fact(client_width ${form} [[constexpr int clientWidth = ([0-9]+);]])
conversione_read_fact(client_height ${form} [[constexpr int clientHeight = ([0-9]+);]])
math(EXPR CONVERSIONE_CLIENT_WIDTH "${client_width} / ${twips_per_pixel}")
math(EXPR CONVERSIONE_CLIENT_HEIGHT "${client_height} / ${twips_per_pixel}")

# The longest input the box takes, and its refusals.
conversione_read_fact(CONVERSIONE_LONGEST_INPUT conversion/inputlimit.h
    [[longestInput = ([0-9]+);]])
conversione_read_text(message_too_long conversion/inputlimit.h
    "tooLongInputMessage\\(\\)[^{}]*{[^{}]*QStringLiteral\\(\"${literal}\"\\)")
conversione_read_text(message_refusal conversion/modulo1.cpp
    "notBinaryInputMessage\\(\\)[^{}]*{[^{}]*QStringLiteral\\(\"${literal}\"\\)")

# The run-time errors' reports, as their message box shows them: the error's number and text
# filled into the report's format as QString::arg fills them.
set(errors runtime/runtimeerror.cpp)
conversione_read_text(report_format ${errors}
    "reportText\\(\\) const[^{}]*{[^{}]*QStringLiteral\\(\"${literal}\"\\)")
if(NOT report_format MATCHES "%1" OR NOT report_format MATCHES "%2")
    message(FATAL_ERROR "${errors}: the report's format \"${report_format}\" lacks %1 or %2")
endif()
foreach(error TypeMismatch Overflow)
    conversione_read_fact(number_${error} runtime/runtimeerror.h "${error} = ([0-9]+)")
    conversione_read_text(description ${errors}
        "case ${error}:[ \t\n]*return QStringLiteral\\(\"${literal}\"\\);")
    string(REPLACE "%1" "${number_${error}}" report "${report_format}")
    string(REPLACE "%2" "${description}" report "${report}")
    conversione_json_string(json_${error} "${report}")
endforeach()

conversione_json_string(json_title "${CONVERSIONE_TITLE}")
conversione_json_string(json_app_id "${CONVERSIONE_APP_ID}")
conversione_json_string(json_program "${CONVERSIONE_PROGRAM}")
conversione_json_string(json_description "${PROJECT_DESCRIPTION}")
conversione_json_string(json_publisher "${CONVERSIONE_COMPANY}")
conversione_json_string(json_version "${PROJECT_VERSION}")
conversione_json_string(json_release_date "${CONVERSIONE_RELEASE_DATE}")
conversione_json_string(json_refusal "${message_refusal}")
conversione_json_string(json_too_long "${message_too_long}")

file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/facts.json" @ONLY CONTENT [=[
{
  "title": @json_title@,
  "app_id": @json_app_id@,
  "program": @json_program@,
  "description": @json_description@,
  "client_size": {"width": @CONVERSIONE_CLIENT_WIDTH@, "height": @CONVERSIONE_CLIENT_HEIGHT@},
  "messages": {
    "refusal": @json_refusal@,
    "too long": @json_too_long@,
    "error@number_TypeMismatch@": @json_TypeMismatch@,
    "error@number_Overflow@": @json_Overflow@
  },
  "longest_input": @CONVERSIONE_LONGEST_INPUT@,
  "publisher": @json_publisher@,
  "version": @json_version@,
  "release_date": @json_release_date@
}
]=])
