# qRun for the browser: qRun.js and qRun.wasm. The page (index.html) and the
# game's files come from scripts/web.
add_executable(qRun browser_main.cpp)
target_link_libraries(qRun PRIVATE qt_engine_interpreter qt_engine_core
  qt_platform_browser qt_text_freetype qt_sound_sdl2_mixer qt_warnings)
# Asyncify lets the engine's loop wait by yielding to the browser.
target_link_options(qRun PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432
  -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -sEXIT_RUNTIME=0
  -sEXPORTED_RUNTIME_METHODS=[]
  --js-library ${QT_BROWSER_LIBRARY_JS}
  --pre-js ${QT_BROWSER_PAGE_JS})
set_property(TARGET qRun APPEND PROPERTY LINK_DEPENDS ${QT_BROWSER_PAGE_JS} ${QT_BROWSER_LIBRARY_JS})
