# Finds an interpreter for the Python module, its headers and pybind11, and
# sets UNIONBOUND_PYTHON_FOUND. Without a chosen Python3_EXECUTABLE it takes
# the first python3 (on PATH, then the system's) that imports pybind11 and
# numpy, so that a private interpreter on PATH without them does not hide
# the packaged one.
if(NOT Python3_EXECUTABLE)
  find_program(UNIONBOUND_PATH_PYTHON NAMES python3 NO_CACHE)
  foreach(candidate IN ITEMS "${UNIONBOUND_PATH_PYTHON}" /usr/bin/python3)
    if(candidate AND EXISTS "${candidate}")
      execute_process(COMMAND "${candidate}" -c "import pybind11, numpy"
                      RESULT_VARIABLE imports OUTPUT_QUIET ERROR_QUIET)
      if(imports EQUAL 0)
        set(Python3_EXECUTABLE "${candidate}")
        break()
      endif()
    endif()
  endforeach()
endif()
set(UNIONBOUND_PYTHON_FOUND OFF)
find_package(Python3 QUIET COMPONENTS Interpreter Development.Module)
if(Python3_FOUND)
  execute_process(COMMAND "${Python3_EXECUTABLE}" -c
                          "import pybind11; print(pybind11.get_cmake_dir())"
                  OUTPUT_VARIABLE pybind11_dir OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE pybind11_found ERROR_QUIET)
  if(pybind11_found EQUAL 0)
    find_package(pybind11 CONFIG QUIET HINTS "${pybind11_dir}")
  else()
    find_package(pybind11 CONFIG QUIET)
  endif()
  if(pybind11_FOUND)
    set(UNIONBOUND_PYTHON_FOUND ON)
  endif()
endif()
