# Runs the built jars on the host JVM and compares their output exactly.
# Invoked by CTest with -DJAVA, -DVERIFY_JAR, -DPRINTARGS_JAR and -DWORK_DIR.

set(failures 0)

# expect(name, expected, command...): runs the command and compares its
# standard output byte for byte; standard error must be empty.
function(expect name expected)
  execute_process(COMMAND ${ARGN}
    WORKING_DIRECTORY ${WORK_DIR}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected OR NOT err STREQUAL "")
    message(SEND_ERROR "${name}: exit ${rc}\n--- expected\n${expected}--- got\n${out}--- stderr\n${err}")
    math(EXPR n "${failures} + 1")
    set(failures ${n} PARENT_SCOPE)
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# The verify protocol: the magic line, then one line per argument in order.
expect("verify without arguments" "1739021872\n"
  ${JAVA} -cp ${VERIFY_JAR} Verify)
expect("verify set, empty and unset properties" "1739021872\nhello\n\nnull\n"
  ${JAVA} -Dmg.a=hello -Dmg.b= -cp ${VERIFY_JAR} Verify mg.a mg.b mg.unset)
expect("verify keeps argument order and repeats" "1739021872\n2\n1\n2\n"
  ${JAVA} -Dmg.one=1 -Dmg.two=2 -cp ${VERIFY_JAR} Verify mg.two mg.one mg.two)
expect("verify value with blanks and equals signs" "1739021872\n a = b \n"
  ${JAVA} "-Dmg.v= a = b " -cp ${VERIFY_JAR} Verify mg.v)
expect("verify a property the JVM sets itself" "1739021872\nUTF-8\n"
  ${JAVA} -Dfile.encoding=UTF-8 -cp ${VERIFY_JAR} Verify file.encoding)

# The test application's report.
file(TO_CMAKE_PATH "${WORK_DIR}" cwd)
get_filename_component(cwd "${cwd}" REALPATH)
set(ENV{JAVA_HOME} "/opt/some jvm")
unset(ENV{CLASSPATH})
expect("printargs report"
  "args=3\narg.0=a b\narg.1= \narg.2=C:\\data\\in.txt\nprop.app.x=1\nprop.app.y=two words\nprop.user.name.none=null\nclasspath=${PRINTARGS_JAR}\ncwd=${cwd}\nJAVA_HOME=/opt/some jvm\nCLASSPATH=null\n"
  ${JAVA} "-Dapp.y=two words" -Dapp.x=1 -Dprintargs.props=user.name.none
  -cp ${PRINTARGS_JAR} PrintArgs "a b" " " "C:\\data\\in.txt")
expect("printargs as an executable jar"
  "args=0\nclasspath=${PRINTARGS_JAR}\ncwd=${cwd}\nJAVA_HOME=/opt/some jvm\nCLASSPATH=null\n"
  ${JAVA} -jar ${PRINTARGS_JAR})
expect("printargs to a file" "" ${JAVA} -Dprintargs.out=${WORK_DIR}/report.txt -jar ${PRINTARGS_JAR} x)
file(READ ${WORK_DIR}/report.txt report)
if(NOT report MATCHES "^args=1\narg.0=x\n")
  message(SEND_ERROR "printargs to a file: got\n${report}")
  math(EXPR failures "${failures} + 1")
endif()

# Both jars must load on Java 8: class file major version 52 (0x34).
foreach(entry "${VERIFY_JAR};Verify" "${PRINTARGS_JAR};PrintArgs")
  list(GET entry 0 jar)
  list(GET entry 1 class)
  set(dir ${WORK_DIR}/x-${class})
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${jar} WORKING_DIRECTORY ${dir})
  file(READ ${dir}/${class}.class magic HEX LIMIT 8)
  if(NOT magic STREQUAL "cafebabe00000034")
    message(SEND_ERROR "${class}.class header is ${magic}, want cafebabe00000034")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
file(GLOB classes RELATIVE ${WORK_DIR}/x-Verify ${WORK_DIR}/x-Verify/*.class)
if(NOT classes STREQUAL "Verify.class")
  message(SEND_ERROR "verify.jar holds ${classes}, want only Verify.class")
  math(EXPR failures "${failures} + 1")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} jar check(s) failed")
endif()
