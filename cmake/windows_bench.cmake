# engine_speed.exe: the engine's speed as the modules build it, timed under Wine by
# tools/run-bench.sh. Built only when asked for (--target engine_speed).
add_executable(engine_speed EXCLUDE_FROM_ALL
  bench/engine_speed_windows.cpp
  bench/bench_images.cpp
  bench/bench_pass.cpp)
target_include_directories(engine_speed PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(engine_speed PRIVATE lumiveil_portable)
target_link_options(engine_speed PRIVATE -static -static-libgcc -static-libstdc++)
lumiveil_warnings(engine_speed)
