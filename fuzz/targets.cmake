# The fuzz targets: each reader of outside data, the sources it exercises
# (and libraries it only calls), a time budget and the longest input. fuzz/CMakeLists.txt builds them with
# libFuzzer; tests/fuzz/CMakeLists.txt replays each seed corpus through the
# same entry point in the regular test run.
# The .reg reader.
veltra_fuzzer(regfile SECONDS 300 MAX_LEN 4096 DICT regfile.dict
              SOURCES platform/sim/registry_tree.cpp platform/sim/regfile.cpp)
# The installer engine's conditions and formatted text.
veltra_fuzzer(condition SECONDS 300 MAX_LEN 1024 DICT condition.dict
              SOURCES platform/sim/engine/condition.cpp platform/sim/engine/format.cpp)
# The registry configuration file's line reader and line parser (with the line
# formatter it must agree with) and its hexadecimal decoder.
veltra_fuzzer(config_line SECONDS 240 MAX_LEN 2048 DICT config_line.dict
              SOURCES silentpackage/config_line.cpp silentpackage/hex_text.cpp settings/reg_type_name.cpp
                      silentpackage/text_mode_lines.cpp silentpackage/text_mode.cpp)
veltra_fuzzer(hex_decoder SECONDS 240 MAX_LEN 2048 SOURCES silentpackage/hex_text.cpp)
# The silent installation's reader of the package's options file.
veltra_fuzzer(options_file SECONDS 300 MAX_LEN 6144
              SOURCES silentpackage/options_file.cpp silentpackage/text_mode.cpp)
# The reader of the legacy agent's settings file, with the line writer it
# must agree with.
veltra_fuzzer(registry_store_file SECONDS 180 MAX_LEN 2048 SOURCES upgrade/registry_store_file.cpp silentpackage/text_mode.cpp)
# The reader of the agent's version file.
veltra_fuzzer(version_file SECONDS 180 MAX_LEN 4096
              SOURCES upgrade/version_file.cpp upgrade/version_numbers.cpp silentpackage/text_mode.cpp)
# The splitting of a deferred action's data.
veltra_fuzzer(deferred_data SECONDS 120 MAX_LEN 1024 SOURCES runtime/deferred_data.cpp)
# The reader of a machine folder's machine.json (with the simulated machine it
# fills, linked rather than instrumented).
veltra_fuzzer(machine_json SECONDS 300 MAX_LEN 8192 SOURCES cli/machine_json.cpp LIBRARIES veltra_sim)
