LOGFILE: C:\Temp\verify.log
ACTION: VERIFY_JVM
VERIFY_JVM_FILE: C:\Program Files\Sample\jre.jvm
VERIFY_JVM_HOME: C:\Program Files\Java\jre8
