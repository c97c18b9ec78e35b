# Runs AppStream's validator (MODE validate on FILES, or validate-tree on a staged install) with
# --no-net --strict --pedantic and fails on any issue it reports, pedantic hints included (--strict
# alone lets those pass). Two issues are waived. On AppStream before 1.0 only: the metainfo names
# its developer in a `developer` element, which 1.0 asks for in place of the deprecated
# `developer_name`, and which older validators do not know yet ("unknown-tag developer"). On 1.0
# and later: the program has no homepage, and an address that leads nowhere would be worse than
# none ("url-homepage-missing"). A failed run passes only when the waived findings explain it
# whole: nothing else printed but the validator's summary, which counts exactly them, and the names
# of the files the findings are in.
# Usage: cmake -DAPPSTREAMCLI=appstreamcli -DMODE=validate|validate-tree -DFILES="a;b" -P check-metainfo.cmake
execute_process(COMMAND ${APPSTREAMCLI} --version OUTPUT_VARIABLE version)
string(REGEX MATCH "[0-9]+(\\.[0-9]+)+" version "${version}")
execute_process(COMMAND ${APPSTREAMCLI} ${MODE} --no-net --strict --pedantic ${FILES}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)

set(waivers "")
if(version VERSION_LESS 1.0)
    list(APPEND waivers "I: [^\n]*: unknown-tag developer")
endif()
list(APPEND waivers "W: [^\n]*: url-homepage-missing")
# The findings left once the waived ones are taken out, and how many of each severity went.
set(rest "\n${out}\n")
foreach(severity E W I P)
    set(waived_${severity} 0)
endforeach()
foreach(waiver IN LISTS waivers)
    string(REGEX MATCHALL "\n *${waiver}\n" found "${rest}")
    list(LENGTH found count)
    string(SUBSTRING "${waiver}" 0 1 severity)
    math(EXPR waived_${severity} "${waived_${severity}} + ${count}")
    string(REGEX REPLACE "\n *${waiver}\n" "\n" rest "${rest}")
endforeach()
math(EXPR waived "${waived_E} + ${waived_W} + ${waived_I} + ${waived_P}")

set(problem "")
if(rest MATCHES "\n *[EWIP]: ")
    set(problem "an issue that is not waived")
elseif(NOT status EQUAL 0)
    # The summary names each severity with its count ("warnings: 1, pedantic: 2"); it must count
    # what was waived, and nothing else may be printed.
    set(summary_counts "")
    foreach(severity E W I P)
        set(name_E errors)
        set(name_W warnings)
        set(name_I infos)
        set(name_P pedantic)
        string(REGEX MATCH "${name_${severity}}: ([0-9]+)" counted "${rest}")
        set(counted ${CMAKE_MATCH_1})
        if(NOT counted)
            set(counted 0)
        endif()
        if(NOT counted EQUAL waived_${severity})
            set(problem "exit ${status}, with ${counted} ${name_${severity}} counted and ${waived_${severity}} waived")
        endif()
    endforeach()
    string(REGEX REPLACE "\n[^\n]*(errors|warnings|infos|pedantic): [0-9]+[^\n]*" "" others "${rest}")
    # validate-tree heads each file's findings with its name.
    string(REGEX REPLACE "\n *[^ \n:]+\\.(xml|desktop)\n" "\n" others "${others}")
    string(STRIP "${others}" others)
    if(waived EQUAL 0)
        set(problem "exit ${status} with no finding to explain it")
    elseif(NOT others STREQUAL "")
        set(problem "exit ${status}, and it printed more than its findings and their count")
    endif()
endif()
if(problem)
    message(FATAL_ERROR "appstreamcli ${version} ${MODE}: ${problem}:\n${out}")
endif()
string(STRIP "${out}" out)
message("appstreamcli ${version} ${MODE}: ${out}")
if(waived GREATER 0)
    message("(passed: the issues left are the ones waived above: no homepage, or the `developer` "
        "element, which AppStream ${version} does not know yet)")
endif()
