# MinGW-w64 build: Velmora.exe, the Win32 layer and its tests under Wine.
add_link_options(-static -static-libgcc -static-libstdc++)

enable_language(RC)
add_executable(Velmora WIN32 src/app/main.cpp res/velmora.rc)
target_link_libraries(Velmora PRIVATE velmora_core)
target_compile_options(Velmora PRIVATE ${VELMORA_WARNINGS})
target_link_options(Velmora PRIVATE -municode)
