# Windows programs built with mingw-w64 and run under Wine, in a prefix under the build folder.
add_test(NAME wine_prefix COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/support/wine_prefix.sh ${ORBETA_WINE_PREFIX})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 300 LABELS interop)

# The rich-edit control reading the RTF we write.
foreach(program richedit_text richedit_dump)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/richtext/wine/${program}.c)
    add_custom_command(OUTPUT ${program}.exe
        COMMAND ${ORBETA_MINGW_CC} -O2 -Wall -Wextra -Werror -o ${program}.exe ${source}
        DEPENDS ${source} COMMENT "Building ${program}.exe with mingw-w64")
    add_custom_target(${program}_exe ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${program}.exe)
endforeach()

orbeta_add_test(tst_rtf_richedit SOURCES richtext/tst_rtf_richedit.cpp LABELS interop)
add_dependencies(tst_rtf_richedit richedit_text_exe richedit_dump_exe)
set_tests_properties(tst_rtf_richedit PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 600)

# The registry reader built for Windows with its tests, run against values written into Wine's
# registry. The program is rebuilt when any source or header it uses changes.
set(registry_test_sources
    ${CMAKE_CURRENT_SOURCE_DIR}/about/wine/registry_test.cpp
    ${PROJECT_SOURCE_DIR}/src/about/get_key_value.cpp
    ${PROJECT_SOURCE_DIR}/src/about/sysinfo_locator.cpp
    ${PROJECT_SOURCE_DIR}/src/about/sysinfo_windows.cpp
    ${PROJECT_SOURCE_DIR}/src/about/code_page_windows.cpp)
set(registry_test_headers
    ${PROJECT_SOURCE_DIR}/src/about/code_page.h
    ${PROJECT_SOURCE_DIR}/src/about/get_key_value.h
    ${PROJECT_SOURCE_DIR}/src/about/registry.h
    ${PROJECT_SOURCE_DIR}/src/about/sysinfo_locator.h)
add_custom_command(OUTPUT registry_test.exe
    COMMAND ${ORBETA_MINGW_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -static
            -I${PROJECT_SOURCE_DIR}/src -o registry_test.exe ${registry_test_sources} -ladvapi32
    DEPENDS ${registry_test_sources} ${registry_test_headers}
    COMMENT "Building registry_test.exe with mingw-w64")
add_custom_target(registry_test_exe ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/registry_test.exe)
add_test(NAME wine_registry
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/about/wine_registry.sh
            ${CMAKE_CURRENT_BINARY_DIR}/registry_test.exe ${ORBETA_WINE_PREFIX})
set_tests_properties(wine_registry PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine
                                              TIMEOUT 300 LABELS interop)
