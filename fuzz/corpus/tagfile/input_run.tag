LOGFILE: C:\Temp\run.log
ACTION: RUN_INSTRUCTIONS
INSTRUCTIONS: C:\Sample\instructions.txt
LAUNCHSCRIPT: C:\Sample\launch.txt
UI_TITLE: Sample Application (test build)
VERIFY_CLASSPATH: C:\Sample\Verify.jar
VERIFY_CLASS_NAME: Verify
JVM:
  C:\Sample\jre8.jvm
  C:\Sample\jdk11.jvm
/:
