# Builds the moc probe, adds a header with a QObject to its globbed library,
# uses it, and builds again in the same folder: the second build must link.
# -DSOURCE=<moc-probe> -DWORK=<scratch folder> -DROOT=<project> -DGENERATOR=...
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/ DESTINATION ${WORK}/src)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G ${GENERATOR} -DPRELVANE_ROOT=${ROOT}
    -DCMAKE_PREFIX_PATH=${PREFIX_PATH})
run(${CMAKE_COMMAND} --build ${WORK}/build)

file(WRITE ${WORK}/src/lib/Second.h "#pragma once\n#include <QObject>\nclass Second : public QObject\n{\n    Q_OBJECT\nsignals:\n    void pong();\n};\n")
file(WRITE ${WORK}/src/lib/Second.cpp "#include \"lib/Second.h\"\n")
file(WRITE ${WORK}/src/main.cpp "#include \"lib/First.h\"\n#include \"lib/Second.h\"\nint main()\n{\n    First first;\n    Second second;\n    QObject::connect(&second, &Second::pong, &first, &First::ping);\n    return 0;\n}\n")
run(${CMAKE_COMMAND} --build ${WORK}/build)
file(REMOVE_RECURSE ${WORK})
message(STATUS "a QObject added later builds")
