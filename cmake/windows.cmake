# Windows build: the program, the Win32 adapter tests and the end-to-end driver.
# Everything is linked statically so the .exe needs no DLL beyond Windows' own.
set(WIN_LIBS wininet gdiplus comctl32 shlwapi shell32 ole32 uuid gdi32 user32 advapi32 crypt32 version)
set(STATIC_FLAGS -static -static-libgcc -static-libstdc++)

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win32/*.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX ".*/winmain\\.cpp$")
add_library(orvane_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(orvane_win32 PUBLIC orvane_core ${WIN_LIBS})
target_compile_definitions(orvane_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _WIN32_IE=0x0800)

add_executable(OrvanePurchase WIN32 src/win32/winmain.cpp res/orvane.rc)
target_include_directories(OrvanePurchase PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(OrvanePurchase PRIVATE orvane_win32)
target_link_options(OrvanePurchase PRIVATE ${STATIC_FLAGS} -mwindows)

# Win32 adapter tests: each file in tests/win32 is a console program run under Wine.
file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
foreach(src ${WIN32_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32 ${CMAKE_SOURCE_DIR}/res)
  target_link_libraries(${name} PRIVATE orvane_win32)
  target_link_options(${name} PRIVATE ${STATIC_FLAGS})
endforeach()

# End-to-end driver and helpers (each .cpp in tests/e2e/tools is one program).
file(GLOB E2E_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.cpp)
foreach(src ${E2E_TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE ${WIN_LIBS})
  target_link_options(${name} PRIVATE ${STATIC_FLAGS})
endforeach()
