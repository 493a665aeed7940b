# Builds the table of docs/robustness.md from the rows the fault tests wrote
# and compares it with the file; with -DUPDATE=ON writes the file instead.
#   cmake -DROWS=<build>/robustness -DDOC=<source>/docs/robustness.md [-DUPDATE=ON] -P robustness.cmake
file(GLOB row_files "${ROWS}/*.txt")
set(rows "")
foreach(row_file ${row_files})
    file(STRINGS "${row_file}" lines ENCODING UTF-8)
    foreach(line IN LISTS lines)
        string(REPLACE "\t" " | " cells "${line}")
        list(APPEND rows "| ${cells} |")
    endforeach()
endforeach()
if(NOT rows)
    message(FATAL_ERROR "no rows under ${ROWS}: run the fault tests first")
endif()
list(SORT rows)
list(REMOVE_DUPLICATES rows)
list(JOIN rows "\n" table)

set(text "# Bad input and faults

What the player does with each bad input and fault its tests try. The table is
kept current by the tests that produce it: each row is written by a passing test
(tests/faults, tests/soak and tests/e2e/player.sh), and the test
`robustness_table` fails when this file differs from what they wrote.
`ctest -R robustness_table` runs them all; regenerate the file after that with

    cmake -DROWS=build/robustness -DDOC=docs/robustness.md -DUPDATE=ON -P tests/faults/robustness.cmake

| Bad input or fault | What the player does |
|---|---|
${table}
")

if(UPDATE)
    file(WRITE "${DOC}" "${text}")
    return()
endif()
set(current "")
if(EXISTS "${DOC}")
    file(READ "${DOC}" current)
endif()
if(NOT current STREQUAL text)
    file(WRITE "${ROWS}/robustness.md.expected" "${text}")
    message(FATAL_ERROR "${DOC} differs from the table the tests wrote "
        "(${ROWS}/robustness.md.expected). Regenerate it with:\n"
        "  cmake -DROWS=${ROWS} -DDOC=${DOC} -DUPDATE=ON -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
