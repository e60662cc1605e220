# GoogleTest for cross-builds: Debian's libgtest-dev holds libraries built
# for the host only, so gtest and gtest_main are compiled here from the
# sources it ships in /usr/src/googletest. Gives the targets find_package(GTest)
# would: GTest::gtest and GTest::gtest_main.
set(CARDSET_GOOGLETEST_SOURCE_DIR /usr/src/googletest/googletest
    CACHE PATH "GoogleTest sources (the googletest folder of the project)")
set(cardset_gtest_dir ${CARDSET_GOOGLETEST_SOURCE_DIR})
if(NOT EXISTS ${cardset_gtest_dir}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${cardset_gtest_dir}: "
                      "install Debian's libgtest-dev, or set CARDSET_GOOGLETEST_SOURCE_DIR")
endif()

find_package(Threads REQUIRED)

# Built without our warning flags: it is not our code. Its headers are system
# headers for our tests, for the same reason.
add_library(gtest STATIC ${cardset_gtest_dir}/src/gtest-all.cc)
target_include_directories(gtest SYSTEM PUBLIC ${cardset_gtest_dir}/include)
target_include_directories(gtest PRIVATE ${cardset_gtest_dir})
target_compile_features(gtest PUBLIC cxx_std_14)
target_link_libraries(gtest PUBLIC Threads::Threads)
# Its speed does not matter, its build time does: it is compiled on every
# fresh CI machine, once per cross-build.
target_compile_options(gtest PRIVATE -O1)

add_library(gtest_main STATIC ${cardset_gtest_dir}/src/gtest_main.cc)
target_link_libraries(gtest_main PUBLIC gtest)

add_library(GTest::gtest ALIAS gtest)
add_library(GTest::gtest_main ALIAS gtest_main)
